#include "imagezone.h"

#include <windowsx.h>

#include "backdrop.h"
#include "form.h"
#include "tooltip.h"

namespace rt {
namespace {

constexpr wchar_t kImageClass[] = L"TessiverImage";

float Coordinate(int value) { return static_cast<float>(value); }

}  // namespace

bool ImageZone::Create(Container& container, const std::wstring& name, int x, int y, int width, int height) {
    if (Window()) return false;
    SetName(name);
    SetParent(&container);
    bounds_ = RECT{x, y, x + width, y + height};
    return !InSight() || MakeWindow();
}

bool ImageZone::InSight() const {
    RECT client{}, overlap{};
    return Parent() && GetClientRect(Parent()->hWnd(), &client) && IntersectRect(&overlap, &bounds_, &client);
}

bool ImageZone::MakeWindow() {
    if (!RegisterOwnClass(kImageClass, LoadCursor(nullptr, IDC_ARROW))) return false;
    if (!CreateBound(kControlExStyle, kImageClass, L"", WS_CHILD | WS_VISIBLE, bounds_.left, bounds_.top,
                     bounds_.right - bounds_.left, bounds_.bottom - bounds_.top, Parent()->hWnd()))
        return false;
    if (!toolTip_.empty()) SetToolTipText(toolTip_);
    return true;
}

RECT ImageZone::Bounds() const { return Window() ? ChildRect(Window()) : bounds_; }

void ImageZone::ShowIfInSight() {
    if (!Window() && InSight()) MakeWindow();
}

void ImageZone::SetPicture(PictureRef picture) {
    picture_ = std::move(picture);
    RepaintWhenShown(Window(), false);
}

void ImageZone::SetToolTipText(const std::wstring& text) {
    toolTip_ = text;
    Form* form = FormOf(Parent());
    if (form && form->hWnd() && Window()) form->SetToolTipText(Window(), text);
}

void ImageZone::Move(int x, int y, int width, int height) {
    bounds_ = RECT{x, y, x + width, y + height};
    if (Window())
        MoveWindow(Window(), x, y, width, height, TRUE);
    else
        ShowIfInSight();
}

void ImageZone::OnPaint() {
    gdi::PaintDC paint(Window());
    PaintParentBackground(Window(), paint.Get());
    if (picture_) DrawPicture(paint.Get(), *picture_, 0, 0);
}

void ImageZone::OnButtonDown(short button, WPARAM wParam, int x, int y) {
    press_.Press(Window(), button);
    if (MouseDown) MouseDown(button, ShiftStateOf(wParam), Coordinate(x), Coordinate(y));
}

void ImageZone::OnButtonUp(short button, int x, int y) {
    const bool clicked = press_.Release(button) && button == 1 && ReleasedOver(Window(), x, y);
    // The capture stays while another button is still held.
    press_.FreeWhenDone(Window());
    if (clicked && Click) Click();
}

AccessibleFacts ImageZone::Describe() const {
    AccessibleFacts facts;
    facts.name = toolTip_;
    facts.role = Click ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_GRAPHIC;
    if (Click) facts.defaultAction = L"Press";
    return facts;
}

void ImageZone::DoDefaultAction() {
    if (Click) Click();
}

LRESULT ImageZone::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(1, wParam, x, y);
        return 0;
    case WM_RBUTTONDOWN:
        OnButtonDown(2, wParam, x, y);
        return 0;
    case WM_MBUTTONDOWN:
        OnButtonDown(4, wParam, x, y);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(1, x, y);
        return 0;
    case WM_RBUTTONUP:
        OnButtonUp(2, x, y);
        return 0;
    case WM_MBUTTONUP:
        OnButtonUp(4, x, y);
        return 0;
    case WM_MOUSEMOVE:
        if (MouseMove) MouseMove(MouseButtonsOf(wParam), ShiftStateOf(wParam), Coordinate(x), Coordinate(y));
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Window()) press_.Cancel();
        return 0;
    }
    return DefWindowProcW(Window(), msg, wParam, lParam);
}

}  // namespace rt
