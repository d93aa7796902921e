// Mouse, keyboard, focus and ambient notifications of the surface, turned into
// the button's press logic, its repaints and the events its host sees.
#include "aerobutton.h"

#include "runtime/form.h"

namespace aero {
namespace {

constexpr short kLeftButton = 1;
// Marks the press that ended in a double click: the click routine stays idle
// until the next press sets the button again.
constexpr short kAfterDoubleClick = 8;
constexpr short kAltAlone = 4;
constexpr short kEnterKey = 13;
constexpr short kEscapeKey = 27;
const wchar_t kDisplayAsDefault[] = L"DisplayAsDefault";

bool IsArrowKey(short keyCode) { return keyCode >= VK_LEFT && keyCode <= VK_DOWN; }

template <class Handler, class... Args>
void Fire(const Handler& handler, Args&... args) {
    if (handler) handler(args...);
}

}  // namespace

AeroButtonEvents& AeroButton::Events() { return events_; }

void AeroButton::RunClick() {
    if (s_.bIsDown || s_.nLastButton != kLeftButton) return;
    s_.bMouseDown = false;
    s_.bSpaceDown = false;
    if (s_.CheckBoxMode) {
        s_.Value = !s_.Value;
        rt::NotifyAccessibility(hWnd(), EVENT_OBJECT_STATECHANGE);
    }
    if (!s_.bIsHot)
        Redraw(Normal, true);
    else
        Redraw(Hot, s_.CheckBoxMode);
    Fire(events_.Click);
    if (!s_.CheckBoxMode) s_.Value = false;
}

void AeroButton::Click() { RunClick(); }

void AeroButton::ShowHandCursor() {
    if (s_.HandPointer) SetCursor(s_.hHandCursor);
}

bool AeroButton::CursorIsOver() const {
    POINT pt{};
    return GetCursorPos(&pt) && WindowFromPoint(pt) == hWnd();
}

// Mouse.

void AeroButton::MouseDown(short& button, short& shift, float& x, float& y) {
    ShowHandCursor();
    s_.nLastButton = button;
    if (button == kLeftButton) {
        s_.bHasFocus = true;
        s_.bIsDown = true;
        s_.bMouseDown = true;
        if (!s_.bSpaceDown) {
            Redraw(Down, false);
        } else if (!s_.bIsHot) {
            // Space already holds the button down; away from it the face stays plain.
            s_.bMouseDown = false;
            Redraw(Normal, false);
            s_.bMouseDown = true;
        }
    }
    Fire(events_.MouseDown, button, shift, x, y);
}

void AeroButton::MouseMove(short& button, short& shift, float& x, float& y) {
    if (s_.HandPointer)
        ShowHandCursor();
    else
        ShowPointer();  // the surface's pointer again

    if (!CursorIsOver()) {
        MouseMovedAway();
        return;
    }
    s_.bIsHot = true;
    if (!s_.bSpaceDown)
        Redraw(s_.bIsDown ? Down : Hot, false);
    else if (s_.bMouseDown)
        Redraw(Down, false);
    if (!s_.bTrackingLeave) {
        s_.bTrackingLeave = true;
        RequestMouseLeave();
        Fire(events_.MouseEnter);
        return;
    }
    Fire(events_.MouseMove, button, shift, x, y);
}

// A move reported while the cursor is elsewhere (the control holds the capture).
void AeroButton::MouseMovedAway() {
    if (s_.bIsHot) {
        s_.bIsHot = false;
        if (!s_.bSpaceDown && !s_.bMouseDown) Redraw(Normal, false);
        Fire(events_.MouseLeave);
    } else if (s_.bMouseDown) {
        // Held and dragged away: hot, and down again when the cursor comes back.
        Redraw(Hot, false);
    }
}

void AeroButton::MouseUp(short& button, short& shift, float& x, float& y) {
    if (s_.HandPointer && s_.bIsHot) SetCursor(s_.hHandCursor);
    if (button != kLeftButton) return;
    s_.bMouseDown = false;
    s_.bIsDown = s_.bSpaceDown;
    if (s_.bSpaceDown && !s_.bIsHot)
        Redraw(Down, false);
    else if (s_.nLastButton == kAfterDoubleClick)
        Redraw(s_.bIsHot ? Hot : Normal, false);
    FreeMouse();
    Fire(events_.MouseUp, button, shift, x, y);
}

void AeroButton::DblClick() {
    ShowHandCursor();
    if (s_.nLastButton != kLeftButton) return;
    s_.bIsDown = true;
    s_.bMouseDown = true;
    Redraw(Down, false);
    s_.nLastButton = kAfterDoubleClick;
    HoldMouse();
    Fire(events_.DblClick);
}

// Keyboard.

void AeroButton::KeyDown(short& keyCode, short& shift) {
    if (IsArrowKey(keyCode)) {
        ArrowKeyDown(keyCode, shift);  // never raises KeyDown
        return;
    }
    if (keyCode == VK_SPACE) {
        if (shift != kAltAlone) SpaceDown();
    } else if (s_.bSpaceDown) {
        CancelSpacePress();
    }
    Fire(events_.KeyDown, keyCode, shift);
}

void AeroButton::SpaceDown() {
    s_.bIsDown = true;
    s_.bSpaceDown = true;
    HoldMouse();
    if (!s_.bMouseDown) Redraw(Down, false);
}

void AeroButton::CancelSpacePress() {
    s_.bIsDown = false;
    s_.bSpaceDown = false;
    FreeMouse();
    Redraw(s_.bIsHot ? Hot : Normal, false);
}

void AeroButton::ArrowKeyDown(short keyCode, short shift) {
    // LostFocus clears the Space press as the focus leaves; the click below
    // then goes through, after the focus has moved.
    const bool spaceHeld = s_.bSpaceDown;
    if (shift == 0) {
        if (rt::Form* form = rt::FormOf(Parent())) form->MoveFocus(keyCode == VK_LEFT || keyCode == VK_UP);
    }
    if (!spaceHeld) return;
    FreeMouse();
    s_.nLastButton = kLeftButton;
    RunClick();
}

void AeroButton::KeyUp(short& keyCode, short& shift) {
    if (keyCode == VK_SPACE) {
        s_.bIsDown = s_.bMouseDown;
        if (s_.bSpaceDown) {
            s_.bSpaceDown = false;
            s_.nLastButton = kLeftButton;
            RunClick();  // clicks only if the left button is not held
        }
        if (s_.bIsDown)
            HoldMouse();
        else
            FreeMouse();
    }
    Fire(events_.KeyUp, keyCode, shift);
}

void AeroButton::KeyPress(short& keyAscii) { Fire(events_.KeyPress, keyAscii); }

void AeroButton::AccessKeyPress(short& keyAscii) {
    if (!s_.Enabled) return;
    if (s_.bSpaceDown) FreeMouse();
    // Enter and Esc never toggle a check box.
    if (s_.CheckBoxMode && (keyAscii == kEnterKey || keyAscii == kEscapeKey)) return;
    s_.bIsDown = false;
    s_.nLastButton = kLeftButton;
    RunClick();
}

// Focus and host.

void AeroButton::GotFocus() {
    s_.bHasFocus = true;
    if (!s_.bIsDown) Redraw(Normal, false);
}

void AeroButton::LostFocus() {
    // A Space press held the mouse for this window; with the focus gone nothing
    // would ever let it go, and the next click anywhere would land here.
    if (s_.bSpaceDown) FreeMouse();
    s_.bHasFocus = false;
    s_.bIsDown = false;
    s_.bMouseDown = false;
    s_.bSpaceDown = false;
    if (s_.Enabled && s_.bHostActive) Redraw(Normal, true);
}

// Drag and drop: the host sees the surface's notifications as its own events.

void AeroButton::OLEDragOver(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y,
                             short& state) {
    Fire(events_.OLEDragOver, data, effect, button, shift, x, y, state);
}

void AeroButton::OLEDragDrop(IDataObject* data, long& effect, short& button, short& shift, float& x, float& y) {
    Fire(events_.OLEDragDrop, data, effect, button, shift, x, y);
}

void AeroButton::OLECompleteDrag(long& effect) { Fire(events_.OLECompleteDrag, effect); }

void AeroButton::AmbientChanged(const std::wstring& propertyName) {
    s_.bDisplayAsDefault = AmbientDisplayAsDefault();
    if (propertyName != kDisplayAsDefault) return;
    s_.bIsDown = false;
    s_.bMouseDown = false;
    s_.bSpaceDown = false;
    if (s_.Enabled && !s_.bIsHot && !s_.bHasFocus) Redraw(kKeepState, true);
}

}  // namespace aero
