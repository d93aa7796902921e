// Binding of a C++ object to the window it owns: `this` arrives at WM_NCCREATE,
// lives in the class's extra window bytes and is cleared at WM_NCDESTROY, so a
// late message never reaches a dead object. GWLP_USERDATA stays free for
// whoever else works with the window.
#pragma once

#include <windows.h>

#include <type_traits>

#include "accessible.h"
#include "handles.h"
#include "unhandled.h"

namespace rt {

// The extra window bytes that hold the bound object and the message filter.
inline constexpr int kBoundObjectSlot = 0;
inline constexpr int kFilterSlot = sizeof(LONG_PTR);

// The extended style of every control's window: no form listens for
// WM_PARENTNOTIFY, and each one is a message through the form's hooks.
constexpr DWORD kControlExStyle = WS_EX_NOPARENTNOTIFY;

// Sees each message of a window before the window's own procedure does. Our
// windows carry it in their extra bytes: the platform's subclassing looks its
// data up anew for every message, a round trip each on some systems.
class MessageFilter {
public:
    virtual LRESULT Filter(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~MessageFilter() = default;
};

// Gives a window of this thread, made from one of this runtime's classes, the
// filter (null takes it away) and returns the window's own procedure behind
// it, for the filter to pass messages on to. Null for any other window.
WNDPROC SetMessageFilter(HWND hwnd, MessageFilter* filter);
MessageFilter* MessageFilterOf(HWND hwnd);

// Registers a window class of this module once, with room for the bound object
// and the filter; `own` is the procedure behind the filter. True when it is
// (or already was) registered.
bool RegisterWindowClassOnce(const wchar_t* className, WNDPROC proc, WNDPROC own, HCURSOR cursor, UINT style = 0);

// T provides `LRESULT HandleMessage(UINT, WPARAM, LPARAM)` and may provide
// `void OnWindowGone()`, called after WM_NCDESTROY has been handled.
template <class T>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Window() const { return window_.Get(); }

    static T* FromWindow(HWND hwnd) {
        return hwnd ? reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, kBoundObjectSlot)) : nullptr;
    }

    static bool RegisterOwnClass(const wchar_t* className, HCURSOR cursor, UINT style = 0) {
        return RegisterWindowClassOnce(className, &WindowProc, &OwnProc, cursor, style);
    }

protected:
    // Derived parts are gone by now: unbind first, so the destroy messages meet
    // only DefWindowProc.
    ~BaseWindow() {
        if (window_) SetWindowLongPtrW(window_.Get(), kBoundObjectSlot, 0);
    }

    HWND CreateBound(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                     int width, int height, HWND parent) {
        return CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, nullptr,
                               GetModuleHandleW(nullptr), static_cast<T*>(this));
    }

    // Where a message enters our code: the one guard, since an error must not
    // unwind through the system's frames.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        return Guarded([&] {
            if (msg != WM_NCCREATE)
                if (auto* filter = reinterpret_cast<MessageFilter*>(GetWindowLongPtrW(hwnd, kFilterSlot)))
                    return filter->Filter(hwnd, msg, wParam, lParam);
            return OwnProc(hwnd, msg, wParam, lParam);
        });
    }

    // Behind the filter; unguarded, as it runs inside WindowProc (or our own code).
    static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        T* self = nullptr;
        if (msg == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, kBoundObjectSlot, reinterpret_cast<LONG_PTR>(self));
            self->window_.Reset(hwnd);
        } else {
            self = FromWindow(hwnd);
        }
        if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
        if constexpr (std::is_base_of_v<Accessible, T>) {
            LRESULT answer = 0;
            if (AnswerAccessibility(*self, hwnd, msg, wParam, lParam, answer)) return answer;
        }
        if (msg != WM_NCDESTROY) return self->HandleMessage(msg, wParam, lParam);
        // Unbound even when the handler fails: no later message may reach the object.
        struct Unbind {
            HWND hwnd;
            T* self;
            ~Unbind() {
                SetWindowLongPtrW(hwnd, kBoundObjectSlot, 0);
                self->window_.Release();  // the system destroys it
                self->OnWindowGone();
            }
        } unbind{hwnd, self};
        return self->HandleMessage(msg, wParam, lParam);
    }

    void OnWindowGone() {}

private:
    WindowHandle window_;
};

}  // namespace rt

namespace rt {

// A child's rectangle in its parent's client coordinates (pixels).
RECT ChildRect(HWND child);

// Invalidates the window (with `children`, its children too) unless it or an
// ancestor is hidden: such a window is painted whole when it shows, and each
// invalidation is a round trip to the window server.
void RepaintWhenShown(HWND hwnd, bool erase, bool children = false);

// Whether a point in the window's client coordinates lies inside its client area.
bool InClientArea(HWND hwnd, int x, int y);

// Mouse-event arguments from a mouse message: buttons 1 left, 2 right, 4 middle;
// shift 1 Shift, 2 Ctrl, 4 Alt.
short MouseButtonsOf(WPARAM wParam);
short ShiftStateOf(WPARAM wParam);

}  // namespace rt
