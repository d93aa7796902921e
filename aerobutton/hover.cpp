// Hover tracking and the host form's activation, observed through window hooks.
#include "aerobutton.h"
#include "runtime/errors.h"
#include "runtime/form.h"

namespace aero {
namespace {

// The container chain is searched this far for the enclosing form.
constexpr int kFormSearchLevels = 3;

}  // namespace

HookCallback AeroButton::OwnHookCallback() {
    return [this](bool before, bool& handled, LRESULT& lReturn, HWND hWnd, UINT uMsg, WPARAM wParam,
                  LPARAM lParam, long& userValue) {
        OnHookMessage(before, handled, lReturn, hWnd, uMsg, wParam, lParam, userValue);
    };
}

void AeroButton::InstallHooks() {
    if (s_.HandPointer) {
        // Shared system cursor: never destroyed.
        s_.hHandCursor = LoadCursorW(nullptr, IDC_HAND);
        s_.HandPointer = s_.hHandCursor != nullptr;
    }
    s_.bUser32Track = IsFunctionExported(L"TrackMouseEvent", L"User32");
    if (!s_.bUser32Track && !IsFunctionExported(L"_TrackMouseEvent", L"Comctl32")) {
        rt::Raise(rt::errnum::NoLeaveTracking, L"System does not support TrackMouseEvent.",
                  L"System does not support TrackMouseEvent.");
    }
    // A failed hook leaves no entry, so adding its message then does nothing.
    const HWND own = hWnd();
    hooks_.HookWindow(own);
    hooks_.AddHookMessage(own, WM_MOUSELEAVE, HOOK_AFTER);

    const HWND form = EnclosingFormWindow();
    if (!form) return;
    hooks_.HookWindow(form);
    // An MDI child is never activated itself; its caption activation is what changes.
    const bool mdiChild = (GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
    hooks_.AddHookMessage(form, mdiChild ? WM_NCACTIVATE : WM_ACTIVATE, HOOK_AFTER);
}

HWND AeroButton::EnclosingFormWindow() const {
    rt::Container* container = Parent();
    for (int level = 0; container && level < kFormSearchLevels; ++level) {
        if (rt::Form* form = container->AsForm()) return form->hWnd();
        container = container->Parent();
    }
    return nullptr;
}

void AeroButton::RequestMouseLeave() { aero::RequestMouseLeave(hWnd(), s_.bUser32Track); }

void AeroButton::OnHookMessage(bool, bool&, LRESULT&, HWND, UINT uMsg, WPARAM wParam, LPARAM, long&) {
    switch (uMsg) {
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
        OnHostActivation(wParam != 0);
        break;
    case WM_MOUSELEAVE:
        OnMouseLeaveMessage();
        break;
    default:
        break;
    }
}

void AeroButton::OnHostActivation(bool active) {
    s_.bHostActive = active;
    if (active) {
        if (s_.Enabled && (s_.bHasFocus || s_.bDisplayAsDefault)) Redraw(Normal, true);
        return;
    }
    // While the form is inactive the face shows no focus, default marking or
    // hover; the focus flag itself survives for the next activation.
    const bool hadFocus = s_.bHasFocus;
    const bool force = s_.bDisplayAsDefault || s_.bIsHot || s_.bHasFocus;
    // A Space press held the mouse; with the press cleared here nothing else would let it go.
    if (s_.bSpaceDown) FreeMouse();
    s_.bHasFocus = false;
    s_.bIsDown = false;
    s_.bMouseDown = false;
    s_.bIsHot = false;
    s_.bSpaceDown = false;
    s_.bDisplayAsDefault = false;
    if (s_.Enabled) Redraw(Normal, force);
    s_.bDisplayAsDefault = AmbientDisplayAsDefault();
    s_.bHasFocus = hadFocus;
}

void AeroButton::OnMouseLeaveMessage() {
    s_.bIsHot = false;
    s_.bTrackingLeave = false;
    // Space still holds the press: the face stays down until it is released.
    if (s_.bSpaceDown) return;
    if (s_.Enabled) Redraw(Normal, s_.nLastButton == 1);
    if (Events().MouseLeave) Events().MouseLeave();
}

// Errors are of no use to anyone once the control goes.
void AeroButton::Terminate() {
    rt::Suppress([this] {
        if (AmbientUserMode()) hooks_.UnhookAll();
    });
}

}  // namespace aero
