#include "label.h"

#include <windowsx.h>

#include "backdrop.h"
#include "colour.h"
#include "gdi.h"
#include "navigation.h"

namespace rt {
namespace {

constexpr wchar_t kLabelClass[] = L"TessiverLabel";
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_EXPANDTABS;

}  // namespace

bool Label::Create(Container& container, const std::wstring& name, int x, int y, int width, int height) {
    if (Window()) return false;
    SetName(name);
    SetParent(&container);
    if (FontRef ambient = container.AmbientFont()) font_ = ambient->Clone();
    if (!RegisterOwnClass(kLabelClass, LoadCursor(nullptr, IDC_ARROW)))
        return false;
    if (!CreateBound(kControlExStyle, kLabelClass, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, container.hWnd())) return false;
    ApplyAutoSize();
    return true;
}

void Label::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    ApplyAutoSize();
    Repaint();
}

void Label::SetFont(FontRef font) {
    if (!font) return;
    font_ = std::move(font);
    ApplyAutoSize();
    Repaint();
}

void Label::SetForeColor(long oleColour) {
    foreColor_ = oleColour;
    Repaint();
}

void Label::SetBackColor(long oleColour) {
    backColor_ = oleColour;
    Repaint();
}

void Label::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Repaint();
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    ApplyAutoSize();
}

void Label::Move(int x, int y, int width, int height) {
    if (!Window()) return;
    MoveWindow(Window(), x, y, width, height, TRUE);
    ApplyAutoSize();
}

std::wstring Label::AccessKeys() const { return AccessKeysOf(caption_); }

SIZE Label::TextSize() const {
    gdi::ClientDC screen(nullptr);
    gdi::Selection select(screen.Get(), font_ ? font_->Handle() : nullptr);
    RECT rect{0, 0, 0, 0};
    DrawTextW(screen.Get(), caption_.c_str(), static_cast<int>(caption_.size()), &rect, kTextFormat | DT_CALCRECT);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void Label::ApplyAutoSize() {
    if (!autoSize_ || !Window()) return;
    SIZE size = TextSize();
    SetWindowPos(Window(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
}

void Label::Repaint() {
    RepaintWhenShown(Window(), false);
}

void Label::OnPaint() {
    gdi::PaintDC paint(Window());
    const HDC dc = paint.Get();
    RECT client{};
    GetClientRect(Window(), &client);
    if (transparent_) {
        PaintParentBackground(Window(), dc);
    } else {
        PaintBackdrop(dc, client, backColor_, nullptr);
    }
    gdi::Selection select(dc, font_ ? font_->Handle() : nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TranslateColor(foreColor_));
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &client, kTextFormat);
}

bool Label::OnSetCursor() {
    if (mousePointer_ != 99 || !mouseIcon_ || !mouseIcon_->Icon()) return false;
    SetCursor(mouseIcon_->Icon());
    return true;
}

void Label::OnButtonUp(int x, int y) {
    if (!press_.Release(1)) return;
    press_.FreeWhenDone(Window());
    if (ReleasedOver(Window(), x, y) && Click) Click();
}

AccessibleFacts Label::Describe() const {
    AccessibleFacts facts;
    facts.name = caption_;
    facts.role = Click ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_STATICTEXT;
    if (Click) {
        facts.defaultAction = L"Jump";
        facts.state = STATE_SYSTEM_LINKED;
    }
    return facts;
}

void Label::DoDefaultAction() {
    if (Click) Click();
}

LRESULT Label::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor()) return TRUE;
        break;
    case WM_LBUTTONDOWN:
        press_.Press(Window(), 1);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Window()) press_.Cancel();
        return 0;
    }
    return DefWindowProcW(Window(), msg, wParam, lParam);
}

}  // namespace rt
