#include "usercontrol.h"

#include "unhandled.h"

#include <windowsx.h>

#include <climits>

#include "basewindow.h"
#include "colour.h"
#include "cursors.h"
#include "dragdrop.h"
#include "errors.h"
#include "form.h"
#include "units.h"

namespace rt {

namespace {

const wchar_t kClassName[] = L"TessiverUserControl";

// Answers the ambient questions for a surface that has no container.
class NoContainer final : public Container {
public:
    HWND hWnd() const override { return nullptr; }
    Container* Parent() const override { return nullptr; }
};

// Shift and Ctrl as a mouse message would carry them; a key message does not.
WPARAM ModifiersHeld() {
    return (GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) | (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
}

}  // namespace

UserControl::UserControl(UserControlEvents& events)
    : events_(events), font_(MakeFont(L"Arial", 9.0f)), image_(std::make_unique<DibImage>()) {
    image_->Resize(DesignWidth, DesignHeight, TranslateColor(fillColor_));
    HDC dc = image_->Dc();
    if (dc) {
        SetBkMode(dc, TRANSPARENT);
        originalBrush_ = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
        originalFont_ = GetCurrentObject(dc, OBJ_FONT);
    }
    // The font goes into the DC when hDC() is first asked for: a control usually
    // gets its own before it draws any text.
}

UserControl::~UserControl() {
    Destroy();
    // The platform may hold the target a while longer: it must not call back into a dead surface.
    if (dropTarget_) dropTarget_->Detach();
    HDC dc = image_->Dc();
    if (dc) {
        // Put the DC's own objects back before the font copy is deleted.
        SelectObject(dc, originalFont_);
        SelectObject(dc, originalBrush_);
    }
}

bool UserControl::Create(Container& container, const std::wstring& name, int x, int y, int width, int height) {
    if (Window()) return false;
    if (!RegisterOwnClass(kClassName, LoadCursorW(nullptr, IDC_ARROW),
                                 CS_DBLCLKS))
        return false;
    SetName(name);
    SetParent(&container);
    if (!CreateBound(kControlExStyle, kClassName, name.c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, x, y, width, height,
                     container.hWnd()))
        return false;
    if (oleDropMode_) RegisterDropTarget();

    live_ = true;
    events_.Initialize();
    if (!Window()) return true;  // the control destroyed its window in Initialize
    OnSize();
    if (Window()) ShowWindow(Window(), SW_SHOWNA);
    return true;
}

void UserControl::Destroy() {
    if (!Window()) return;
    // Terminate first, so the control unhooks a whole, unchanged window.
    if (live_) {
        live_ = false;
        events_.Terminate();
    }
    if (Window()) DestroyWindow(Window());
}

LRESULT UserControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;  // the image covers every pixel
    case WM_SIZE: OnSize(); return 0;
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = DefWindowProcW(Window(), msg, wParam, lParam);  // sends WM_SIZE / WM_MOVE
        OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return result;
    }
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)))) return TRUE;
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        if (live_) events_.GotFocus();
        // The form settles its default button now, before the press that moved the focus goes on.
        FocusArrived(*this);  // the system itself tells accessibility clients of the focus
        return 0;
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
        if (lParam && reinterpret_cast<HWND>(lParam) != Window()) {
            press_.Cancel();
            dblClickButton_ = 0;
        }
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
    return DefWindowProcW(Window(), msg, wParam, lParam);
}

void UserControl::OnPaint() {
    repaintScheduled_ = false;
    gdi::PaintDC paint(Window());
    if (paint.Get()) image_->CopyTo(paint.Get(), paint.Area());
}

void UserControl::OnSize() {
    RECT rc{};
    GetClientRect(Window(), &rc);
    image_->Resize(rc.right, rc.bottom, TranslateColor(fillColor_));
    if (!live_ || (rc.right == reportedSize_.cx && rc.bottom == reportedSize_.cy)) return;
    reportedSize_ = SIZE{rc.right, rc.bottom};
    events_.Resize();
}

void UserControl::OnWindowPosChanged(const WINDOWPOS& pos) {
    if (pos.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) repaintScheduled_ = false;
    if (!live_ || !Window() || !(pos.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) return;
    bool nowVisible = Visible();
    if (nowVisible == visible_) return;
    visible_ = nowVisible;
    if (visible_)
        events_.Show();
    else
        events_.Hide();
}

bool UserControl::OnSetCursor(HWND target, int hitTest) {
    if (target != Window() || hitTest != HTCLIENT) return false;
    HCURSOR cursor = PointerCursor();
    if (!cursor) return false;  // the class arrow
    SetCursor(cursor);
    return true;
}

void UserControl::OnButtonDown(short button, int x, int y, WPARAM keys) {
    if (CanTakeFocus() && GetFocus() != Window()) SetFocus(Window());
    if (!Window()) return;
    if (dblClickButton_ == button) dblClickButton_ = 0;
    press_.Press(Window(), button);
    if (!live_) return;
    short shift = ShiftStateOf(keys);
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    events_.MouseDown(button, shift, fx, fy);
}

void UserControl::OnButtonUp(short button, int x, int y, WPARAM keys) {
    if (!press_.Release(button)) return;  // pressed elsewhere
    const bool afterDoubleClick = dblClickButton_ == button;
    if (afterDoubleClick) dblClickButton_ = 0;
    // Decided before MouseUp: the control may move or release the capture there.
    const bool click = !afterDoubleClick && ReleasedOver(Window(), x, y);

    if (live_) {
        short shift = ShiftStateOf(keys);
        float fx = static_cast<float>(x), fy = static_cast<float>(y);
        events_.MouseUp(button, shift, fx, fy);
    }
    // Let go of the mouse before Click, whose handler may open a modal window.
    press_.FreeWhenDone(Window());
    if (click && live_) events_.Click();
}

void UserControl::OnButtonDblClk(short button, int x, int y, WPARAM keys) {
    if (button != 1) {
        // Only the left button double-clicks; a quick second press of another is a press.
        OnButtonDown(button, x, y, keys);
        return;
    }
    press_.Press(Window(), button);
    dblClickButton_ = button;
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
    short shift = ShiftStateOf(ModifiersHeld());
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
    press_.Free(Window());
    dropRegistration_.Reset();
    if (!live_) return;
    live_ = false;
    events_.Terminate();
}

void UserControl::OnWindowGone() {
    press_.Cancel();
    dblClickButton_ = 0;
    visible_ = false;
    reportedSize_ = SIZE{-1, -1};
}

void UserControl::SetOLEDropMode(short mode) {
    if (mode != 0 && mode != 1) Raise(errnum::InvalidPropertyValue, L"UserControl", L"Invalid property value");
    if (mode == oleDropMode_) return;
    oleDropMode_ = mode;
    if (!Window()) return;
    if (mode)
        RegisterDropTarget();
    else
        dropRegistration_.Reset();
}

void UserControl::RegisterDropTarget() {
    if (!dropTarget_) dropTarget_ = SurfaceDropTarget::Make(*this);
    if (SUCCEEDED(RegisterDragDrop(Window(), dropTarget_.Get()))) dropRegistration_.Reset(Window());
}

void UserControl::OLEDrag(IDataObject* data, DWORD allowedEffects) {
    long effect = static_cast<long>(RunDrag(data, allowedEffects));
    if (live_) events_.OLECompleteDrag(effect);
}

HCURSOR UserControl::PointerCursor() const {
    if (mousePointer_ == PointerCustom) return mouseIcon_ ? static_cast<HCURSOR>(mouseIcon_->Icon()) : nullptr;
    return StandardCursor(mousePointer_);
}

void UserControl::SelectCurrentFont() const {
    HDC dc = image_->Dc();
    if (!dc || !font_) return;
    if (selectedAttributes_ && font_->SameAttributes(*selectedAttributes_) && selectedDpi_ == ScreenDpiY()) return;
    // The surface selects its own copy: the font object deletes its handle when
    // an attribute changes, which must not happen to a font selected here.
    gdi::Font copy(font_->CreateHandle());
    if (!copy) return;
    SelectObject(dc, copy.Get());
    selectedFont_ = std::move(copy);
    selectedAttributes_ = font_->Clone();
    selectedDpi_ = ScreenDpiY();
}

HDC UserControl::hDC() const {
    SelectCurrentFont();
    return image_->Dc();
}

void UserControl::Cls() {
    image_->Fill(TranslateColor(fillColor_));
    ScheduleRepaint();
}

// One invalidation per WM_PAINT is enough, and a window that is not shown is
// painted whole when it shows: under Wine each invalidation is a round trip to
// the server, dearer than drawing a whole face.
void UserControl::ScheduleRepaint() {
    if (!Window() || repaintScheduled_ || !IsWindowVisible(Window())) return;
    InvalidateRect(Window(), nullptr, FALSE);
    repaintScheduled_ = true;
}

PixelView UserControl::Pixels() const { return image_->Pixels(); }

int UserControl::ScaleWidth() const {
    if (!Window()) return image_->Width();
    RECT rc{};
    GetClientRect(Window(), &rc);
    return rc.right;
}

int UserControl::ScaleHeight() const {
    if (!Window()) return image_->Height();
    RECT rc{};
    GetClientRect(Window(), &rc);
    return rc.bottom;
}

double UserControl::ScaleX(double himetric) const { return HimetricToPixelsX(himetric); }
double UserControl::ScaleY(double himetric) const { return HimetricToPixelsY(himetric); }

void UserControl::Move(int x, int y, int width, int height) {
    if (Window())
        MoveWindow(Window(), x, y, width, height, TRUE);
    else
        image_->Resize(width, height, TranslateColor(fillColor_));
}

void UserControl::SetSize(int width, int height) {
    if (Window())
        SetWindowPos(Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    else
        image_->Resize(width, height, TranslateColor(fillColor_));
}

void UserControl::SetVisible(bool visible) {
    if (Window()) ShowWindow(Window(), visible ? SW_SHOWNA : SW_HIDE);
}

bool UserControl::Visible() const { return Window() && (GetWindowLongW(Window(), GWL_STYLE) & WS_VISIBLE); }

void UserControl::SetSurfaceFont(FontRef font) {
    if (!font) Raise(errnum::InvalidPropertyValue, L"UserControl", L"Invalid property value");
    font_ = std::move(font);
    SelectCurrentFont();
}

void UserControl::SetSurfacePointer(long pointer) {
    if (pointer < SHRT_MIN || pointer > SHRT_MAX || !IsPointerNumber(static_cast<short>(pointer)))
        Raise(errnum::InvalidPropertyValue, L"UserControl", L"Invalid property value");
    mousePointer_ = static_cast<short>(pointer);
    ShowPointer();
}

void UserControl::ShowPointer() {
    // The cursor can only be over a shown window (and asking where it is costs a round trip).
    if (!Window() || !IsWindowVisible(Window())) return;
    POINT pt{};
    if (!GetCursorPos(&pt) || WindowFromPoint(pt) != Window()) return;
    HCURSOR cursor = PointerCursor();
    SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

void UserControl::SetSurfaceMouseIcon(PictureRef icon) {
    mouseIcon_ = std::move(icon);
    if (mousePointer_ == PointerCustom) ShowPointer();
}

void UserControl::SetAccessKeys(const std::wstring& keys) {
    accessKeys_ = keys;
    if (!accessKeys_.empty()) CharLowerBuffW(accessKeys_.data(), static_cast<DWORD>(accessKeys_.size()));
}

bool UserControl::CanTakeFocus() const {
    return Window() && IsWindowEnabled(Window()) && Visible();
}

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

void UserControl::InitNew() { events_.InitProperties(); }
void UserControl::LoadProperties(PropertyBag& bag) { events_.ReadProperties(bag); }
void UserControl::SaveProperties(PropertyBag& bag) { events_.WriteProperties(bag); }

}  // namespace rt
