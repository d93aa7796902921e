#include "caption.h"

namespace aero {
namespace {

constexpr UINT kMeasureFlags = DT_CALCRECT | DT_NOCLIP | DT_WORDBREAK | DT_CENTER;  // 0x511
constexpr UINT kDrawFlags = DT_NOCLIP | DT_WORDBREAK | DT_CENTER;                   // 0x111

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

void Draw(HDC dc, const std::wstring& text, RECT& box, UINT flags, bool wide) {
    if (wide) {
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
    } else {
        const std::string ansi = ToAnsi(text);
        DrawTextA(dc, ansi.c_str(), static_cast<int>(ansi.size()), &box, flags);
    }
}

}  // namespace

SIZE MeasureCaption(HDC dc, const std::wstring& caption, long W, long H, bool wide) {
    if (caption.empty()) return SIZE{0, 0};
    RECT box{0, 0, W, H};
    Draw(dc, caption, box, kMeasureFlags, wide);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

void DrawCaptionText(HDC dc, const std::wstring& caption, const RECT& box, long colour, bool wide) {
    if (caption.empty()) return;
    SetTextColor(dc, static_cast<COLORREF>(colour));
    RECT r = box;
    Draw(dc, caption, r, kDrawFlags, wide);
}

}  // namespace aero
