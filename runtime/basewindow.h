// Binding of a C++ object to the window it owns: `this` arrives at WM_NCCREATE,
// lives in the class's extra window bytes and is cleared at WM_NCDESTROY, so a
// late message never reaches a dead object. GWLP_USERDATA stays free for
// whoever else works with the window.
#pragma once

#include <windows.h>

#include <type_traits>

#include "accessible.h"
#include "unhandled.h"

namespace rt {

// The extra window bytes that hold the bound object.
inline constexpr int kBoundObjectSlot = 0;

// Registers a window class of this module once, with room for the bound object;
// true when it is (or already was) registered.
// The extended style of every control's window: no form listens for
// WM_PARENTNOTIFY, and each one is a message through the form's hooks.
constexpr DWORD kControlExStyle = WS_EX_NOPARENTNOTIFY;

bool RegisterWindowClassOnce(const wchar_t* className, WNDPROC proc, HCURSOR cursor, UINT style = 0);

// T provides `LRESULT HandleMessage(UINT, WPARAM, LPARAM)` and may provide
// `void OnWindowGone()`, called after WM_NCDESTROY has been handled.
template <class T>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Window() const { return window_; }

    static T* FromWindow(HWND hwnd) {
        return hwnd ? reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, kBoundObjectSlot)) : nullptr;
    }

protected:
    // Derived parts are gone by now: unbind first, so the destroy messages meet
    // only DefWindowProc.
    ~BaseWindow() {
        if (!window_) return;
        SetWindowLongPtrW(window_, kBoundObjectSlot, 0);
        DestroyWindow(window_);
    }

    HWND CreateBound(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                     int width, int height, HWND parent) {
        return CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, nullptr,
                               GetModuleHandleW(nullptr), static_cast<T*>(this));
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        T* self = nullptr;
        if (msg == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, kBoundObjectSlot, reinterpret_cast<LONG_PTR>(self));
            self->window_ = hwnd;
        } else {
            self = FromWindow(hwnd);
        }
        if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
        if constexpr (std::is_base_of_v<Accessible, T>) {
            LRESULT answer = 0;
            if (AnswerAccessibility(*self, hwnd, msg, wParam, lParam, answer)) return answer;
        }
        LRESULT result = Guarded([&] { return self->HandleMessage(msg, wParam, lParam); });
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, kBoundObjectSlot, 0);
            self->window_ = nullptr;
            self->OnWindowGone();
        }
        return result;
    }

    void OnWindowGone() {}

private:
    HWND window_ = nullptr;
};

}  // namespace rt

namespace rt {

// A child's rectangle in its parent's client coordinates (pixels).
RECT ChildRect(HWND child);

// Whether a point in the window's client coordinates lies inside its client area.
bool InClientArea(HWND hwnd, int x, int y);

// Mouse-event arguments from a mouse message: buttons 1 left, 2 right, 4 middle;
// shift 1 Shift, 2 Ctrl, 4 Alt.
short MouseButtonsOf(WPARAM wParam);
short ShiftStateOf(WPARAM wParam);

}  // namespace rt
