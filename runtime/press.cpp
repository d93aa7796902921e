#include "press.h"

#include "basewindow.h"

namespace rt {

void PressTracker::Press(HWND hwnd, short button) {
    held_ = static_cast<short>(held_ | button);
    if (GetCapture() != hwnd) {
        SetCapture(hwnd);
        tookCapture_ = true;
    }
}

void PressTracker::Hold(HWND hwnd) {
    if (GetCapture() != hwnd) SetCapture(hwnd);
}

void PressTracker::Free(HWND hwnd) {
    if (hwnd && GetCapture() == hwnd) ReleaseCapture();
}

bool PressTracker::Release(short button) {
    if (!(held_ & button)) return false;
    held_ = static_cast<short>(held_ & ~button);
    return true;
}

void PressTracker::FreeWhenDone(HWND hwnd) {
    if (held_ || !tookCapture_) return;
    tookCapture_ = false;
    Free(hwnd);
}

void PressTracker::Cancel() {
    held_ = 0;
    tookCapture_ = false;
}

bool ReleasedOver(HWND hwnd, int x, int y) {
    if (!InClientArea(hwnd, x, y)) return false;
    POINT pt{x, y};
    ClientToScreen(hwnd, &pt);
    return WindowFromPoint(pt) == hwnd;
}

}  // namespace rt
