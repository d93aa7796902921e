#include "usercontrol.h"

#include "unhandled.h"

#include <windowsx.h>

#include "basewindow.h"
#include "colour.h"
#include "cursors.h"
#include "errors.h"
#include "units.h"

namespace rt {

namespace {

const wchar_t kClassName[] = L"TessiverUserControl";
constexpr long kInvalidPropertyValue = 380;

// The window's extra bytes hold the surface; GWLP_USERDATA stays free for
// whoever subclasses the window.
constexpr int kSelfSlot = 0;

// Answers the ambient questions for a surface that has no container.
class NoContainer final : public Container {
public:
    HWND hWnd() const override { return nullptr; }
    Container* Parent() const override { return nullptr; }
};

short ShiftFromKeyState() {
    return static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                              (GetKeyState(VK_MENU) < 0 ? 4 : 0));
}

}  // namespace

UserControl::UserControl(UserControlEvents& events)
    : events_(events), font_(MakeFont(L"Arial", 9.0f)), image_(std::make_unique<DibImage>()) {
    image_->Resize(DesignWidth, DesignHeight, TranslateColor(static_cast<long>(backColor_)));
    HDC dc = image_->Dc();
    if (dc) {
        SetBkMode(dc, TRANSPARENT);
        originalBrush_ = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
        originalFont_ = GetCurrentObject(dc, OBJ_FONT);
    }
    SelectCurrentFont();
}

UserControl::~UserControl() {
    Destroy();
    HDC dc = image_->Dc();
    if (dc) {
        // Put the DC's own objects back before the font copy is deleted.
        SelectObject(dc, originalFont_);
        SelectObject(dc, originalBrush_);
    }
}

bool UserControl::Create(Container& container, const std::wstring& name, int x, int y, int width, int height) {
    if (hwnd_) return false;
    static const bool classReady = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &UserControl::WindowProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!classReady) return false;

    SetName(name);
    SetParent(&container);
    HWND created = CreateWindowExW(0, kClassName, name.c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, x, y,
                                   width, height, container.hWnd(), nullptr, GetModuleHandleW(nullptr), this);
    if (!created) return false;
    if (!enabled_) EnableWindow(hwnd_, FALSE);

    live_ = true;
    events_.Initialize();
    if (!hwnd_) return true;  // the control destroyed its window in Initialize
    OnSize();
    if (hwnd_) ShowWindow(hwnd_, SW_SHOWNA);
    return true;
}

void UserControl::Destroy() {
    if (!hwnd_) return;
    // Terminate first, so the control unhooks a whole, unchanged window.
    if (live_) {
        live_ = false;
        events_.Terminate();
    }
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK UserControl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<UserControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, kSelfSlot, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<UserControl*>(GetWindowLongPtrW(hwnd, kSelfSlot));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        self->OnNcDestroy();
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Guarded([&] { return self->HandleMessage(msg, wParam, lParam); });
}

LRESULT UserControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;  // the image covers every pixel
    case WM_SIZE: OnSize(); return 0;
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = DefWindowProcW(hwnd_, msg, wParam, lParam);  // sends WM_SIZE / WM_MOVE
        OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return result;
    }
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)))) return TRUE;
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: if (live_) events_.GotFocus(); return 0;
    case WM_KILLFOCUS: if (live_) events_.LostFocus(); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(1, x, y, wParam); return 0;
    case WM_RBUTTONDOWN: OnButtonDown(2, x, y, wParam); return 0;
    case WM_MBUTTONDOWN: OnButtonDown(4, x, y, wParam); return 0;
    case WM_LBUTTONUP: OnButtonUp(1, x, y, wParam); return 0;
    case WM_RBUTTONUP: OnButtonUp(2, x, y, wParam); return 0;
    case WM_MBUTTONUP: OnButtonUp(4, x, y, wParam); return 0;
    case WM_LBUTTONDBLCLK: OnButtonDblClk(1, x, y, wParam); return 0;
    case WM_RBUTTONDBLCLK: OnButtonDblClk(2, x, y, wParam); return 0;
    case WM_MBUTTONDBLCLK: OnButtonDblClk(4, x, y, wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(x, y, wParam); return 0;
    case WM_CAPTURECHANGED:
        // Another window (a menu, a drag) took the mouse: the pending presses end unclicked.
        if (lParam && reinterpret_cast<HWND>(lParam) != hwnd_) buttonsHeld_ = dblClickButton_ = 0;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
        if (OnKey(msg, wParam, lParam)) return 0;
        break;
    case WM_DESTROY: OnDestroy(); return 0;
    default: break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void UserControl::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (dc) image_->CopyTo(dc, ps.rcPaint);
    EndPaint(hwnd_, &ps);
}

void UserControl::OnSize() {
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    image_->Resize(rc.right, rc.bottom, TranslateColor(static_cast<long>(backColor_)));
    if (!live_ || (rc.right == reportedSize_.cx && rc.bottom == reportedSize_.cy)) return;
    reportedSize_ = SIZE{rc.right, rc.bottom};
    events_.Resize();
}

void UserControl::OnWindowPosChanged(const WINDOWPOS& pos) {
    if (!live_ || !hwnd_ || !(pos.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) return;
    bool nowVisible = Visible();
    if (nowVisible == visible_) return;
    visible_ = nowVisible;
    if (visible_)
        events_.Show();
    else
        events_.Hide();
}

bool UserControl::OnSetCursor(HWND target, int hitTest) {
    if (target != hwnd_ || hitTest != HTCLIENT) return false;
    HCURSOR cursor = PointerCursor();
    if (!cursor) return false;  // the class arrow
    SetCursor(cursor);
    return true;
}

void UserControl::OnButtonDown(short button, int x, int y, WPARAM keys) {
    if (CanTakeFocus() && GetFocus() != hwnd_) SetFocus(hwnd_);
    if (!hwnd_) return;
    buttonsHeld_ |= button;
    if (dblClickButton_ == button) dblClickButton_ = 0;
    // Hold the mouse so that the release is seen even away from the control.
    if (GetCapture() != hwnd_) {
        SetCapture(hwnd_);
        tookCapture_ = true;
    }
    if (!live_) return;
    short shift = ShiftStateOf(keys);
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    events_.MouseDown(button, shift, fx, fy);
}

void UserControl::OnButtonUp(short button, int x, int y, WPARAM keys) {
    if (!(buttonsHeld_ & button)) return;  // pressed elsewhere
    buttonsHeld_ &= static_cast<short>(~button);
    const bool afterDoubleClick = dblClickButton_ == button;
    if (afterDoubleClick) dblClickButton_ = 0;
    // Decided before MouseUp: the control may move or release the capture there.
    const bool click = !afterDoubleClick && IsOverWindow(x, y);

    if (live_) {
        short shift = ShiftStateOf(keys);
        float fx = static_cast<float>(x), fy = static_cast<float>(y);
        events_.MouseUp(button, shift, fx, fy);
    }
    // Let go of the mouse before Click, whose handler may open a modal window.
    if (!buttonsHeld_ && tookCapture_) {
        tookCapture_ = false;
        if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
    }
    if (click && live_) events_.Click();
}

void UserControl::OnButtonDblClk(short button, int x, int y, WPARAM keys) {
    if (button != 1) {
        // Only the left button double-clicks; a quick second press of another is a press.
        OnButtonDown(button, x, y, keys);
        return;
    }
    buttonsHeld_ |= button;
    dblClickButton_ = button;
    if (GetCapture() != hwnd_) {
        SetCapture(hwnd_);
        tookCapture_ = true;
    }
    if (live_) events_.DblClick();
}

void UserControl::OnMouseMove(int x, int y, WPARAM keys) {
    if (!live_) return;
    short button = MouseButtonsOf(keys);
    short shift = ShiftStateOf(keys);
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    events_.MouseMove(button, shift, fx, fy);
}

bool UserControl::OnKey(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool altHeld = (lParam & (1 << 29)) != 0;  // set in system key messages
    short shift = ShiftFromKeyState();
    if (altHeld) shift |= 4;
    short code = static_cast<short>(wParam);
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (live_) events_.KeyDown(code, shift);
        // Alt+Space belongs to the control, not to the system menu.
        return msg == WM_KEYDOWN || wParam == VK_SPACE;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (live_) events_.KeyUp(code, shift);
        return msg == WM_KEYUP || wParam == VK_SPACE;
    case WM_CHAR:
        if (live_) events_.KeyPress(code);
        return true;
    case WM_SYSCHAR:
        return wParam == L' ';  // would open the system menu
    default:
        return false;
    }
}

void UserControl::OnDestroy() {
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (!live_) return;
    live_ = false;
    events_.Terminate();
}

void UserControl::OnNcDestroy() {
    SetWindowLongPtrW(hwnd_, kSelfSlot, 0);
    hwnd_ = nullptr;
    buttonsHeld_ = dblClickButton_ = 0;
    tookCapture_ = false;
    visible_ = false;
    reportedSize_ = SIZE{-1, -1};
}

bool UserControl::IsOverWindow(int x, int y) const {
    if (!InClientArea(hwnd_, x, y)) return false;
    POINT pt{x, y};
    // Within the client area but under another window, or in a part cut away by
    // the window region, is not over the control.
    ClientToScreen(hwnd_, &pt);
    return WindowFromPoint(pt) == hwnd_;
}

HCURSOR UserControl::PointerCursor() const {
    if (mousePointer_ == PointerCustom) return mouseIcon_ ? static_cast<HCURSOR>(mouseIcon_->Icon()) : nullptr;
    return StandardCursor(mousePointer_);
}

void UserControl::SelectCurrentFont() const {
    HDC dc = image_->Dc();
    if (!dc || !font_) return;
    if (selectedAttributes_ && font_->SameAttributes(*selectedAttributes_)) return;
    // The surface selects its own copy: the font object deletes its handle when
    // an attribute changes, which must not happen to a font selected here.
    gdi::Font copy(font_->CreateHandle());
    if (!copy) return;
    SelectObject(dc, copy.Get());
    selectedFont_ = std::move(copy);
    selectedAttributes_ = font_->Clone();
}

HDC UserControl::hDC() const {
    SelectCurrentFont();
    return image_->Dc();
}

void UserControl::Cls() {
    image_->Fill(TranslateColor(static_cast<long>(backColor_)));
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void UserControl::Refresh() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

PixelView UserControl::Pixels() const { return image_->Pixels(); }

int UserControl::ScaleWidth() const {
    if (!hwnd_) return image_->Width();
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    return rc.right;
}

int UserControl::ScaleHeight() const {
    if (!hwnd_) return image_->Height();
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    return rc.bottom;
}

double UserControl::ScaleX(double himetric) const { return HimetricToPixelsX(himetric); }
double UserControl::ScaleY(double himetric) const { return HimetricToPixelsY(himetric); }

void UserControl::Move(int x, int y, int width, int height) {
    if (hwnd_)
        MoveWindow(hwnd_, x, y, width, height, TRUE);
    else
        image_->Resize(width, height, TranslateColor(static_cast<long>(backColor_)));
}

void UserControl::SetSize(int width, int height) {
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    else
        image_->Resize(width, height, TranslateColor(static_cast<long>(backColor_)));
}

void UserControl::SetVisible(bool visible) {
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool UserControl::Visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }

void UserControl::SetFont(FontRef font) {
    if (!font) Raise(kInvalidPropertyValue, L"UserControl", L"Invalid property value");
    font_ = std::move(font);
    SelectCurrentFont();
}

void UserControl::SetMousePointer(short pointer) {
    if (!IsPointerNumber(pointer)) Raise(kInvalidPropertyValue, L"UserControl", L"Invalid property value");
    mousePointer_ = pointer;
    if (!hwnd_) return;
    POINT pt{};
    if (!GetCursorPos(&pt) || WindowFromPoint(pt) != hwnd_) return;
    HCURSOR cursor = PointerCursor();
    SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

void UserControl::SetMouseIcon(PictureRef icon) {
    mouseIcon_ = std::move(icon);
    if (mousePointer_ == PointerCustom) SetMousePointer(mousePointer_);
}

void UserControl::SetAccessKeys(const std::wstring& keys) {
    accessKeys_ = keys;
    if (!accessKeys_.empty()) CharLowerBuffW(accessKeys_.data(), static_cast<DWORD>(accessKeys_.size()));
}

bool UserControl::Enabled() const { return enabled_; }

void UserControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool UserControl::CanTakeFocus() const { return hwnd_ && enabled_ && Visible(); }

void UserControl::OnAccessKey(short keyAscii) { events_.AccessKeyPress(keyAscii); }

void UserControl::OnAmbientChanged(const std::wstring& name) { events_.AmbientChanged(name); }

namespace {
const Container& HostOf(const Control& control) {
    static NoContainer none;
    return control.Parent() ? *control.Parent() : none;
}
}  // namespace

// A copy: a control that keeps the ambient font as its own and then changes it
// must not change its host's font (and every other control sharing it).
FontRef UserControl::AmbientFont() const {
    FontRef hostFont = HostOf(*this).AmbientFont();
    return hostFont ? hostFont->Clone() : nullptr;
}
COLORREF UserControl::AmbientForeColor() const { return HostOf(*this).AmbientForeColor(); }
bool UserControl::AmbientUserMode() const { return HostOf(*this).AmbientUserMode(); }
bool UserControl::AmbientDisplayAsDefault() const { return HostOf(*this).DisplaysAsDefault(*this); }

void UserControl::PropertyChanged(const std::wstring& key) {
    if (Parent()) Parent()->PropertyChanged(*this, key);
}

void UserControl::InitProperties() { events_.InitProperties(); }
void UserControl::ReadProperties(PropertyBag& bag) { events_.ReadProperties(bag); }
void UserControl::WriteProperties(PropertyBag& bag) { events_.WriteProperties(bag); }

}  // namespace rt
