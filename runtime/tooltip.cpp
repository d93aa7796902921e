#include "tooltip.h"

#include <commctrl.h>

#include "dpi.h"
#include "ondemand.h"

namespace rt {
namespace {

// The version 5 size: accepted by every common-controls version, with or without a manifest.
TTTOOLINFOW ToolInfo(HWND owner, HWND tool) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

}  // namespace

ToolTip::ToolTip(HWND owner) : owner_(owner) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    rt::ondemand::InitCommonControlsEx(&icc);
    tip_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr));
}

bool ToolTip::SetText(HWND tool, const std::wstring& text) {
    if (!tip_ || !tool) return false;
    TTTOOLINFOW info = ToolInfo(owner_, tool);
    const bool known = SendMessageW(tip_.Get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    info = ToolInfo(owner_, tool);
    if (text.empty()) {
        if (known) SendMessageW(tip_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        return true;
    }
    std::wstring copy = text;  // the control copies the text
    info.lpszText = copy.data();
    if (known) {
        SendMessageW(tip_.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        return true;
    }
    return SendMessageW(tip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

std::wstring ToolTip::Text(HWND tool) const {
    if (!tip_) return {};
    TTTOOLINFOW info = ToolInfo(owner_, tool);
    if (!SendMessageW(tip_.Get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return {};
    wchar_t buffer[512] = {};
    info = ToolInfo(owner_, tool);
    info.lpszText = buffer;
    SendMessageW(tip_.Get(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
    return buffer;
}

int ToolTip::Count() const {
    return tip_ ? static_cast<int>(SendMessageW(tip_.Get(), TTM_GETTOOLCOUNT, 0, 0)) : 0;
}

void ToolTip::SetDpi(int dpi) {
    gdi::Font font(CreateStatusFont(dpi));
    if (!tip_ || !font) return;
    SendMessageW(tip_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    font_ = std::move(font);
}

}  // namespace rt
