// Press-and-release tracking shared by the runtime's own windows: which mouse
// buttons went down on a window, the capture that keeps their release in view,
// and the one rule for a release that counts as a click.
#pragma once

#include <windows.h>

namespace rt {

class PressTracker {
public:
    // A button (1 left, 2 right, 4 middle) went down on `hwnd`: hold the mouse
    // so that the release is seen even away from the window.
    void Press(HWND hwnd, short button);
    // The button came up; true when it had gone down on the window.
    bool Release(short button);
    // Lets go of the mouse once no tracked button is held, if the press took it.
    void FreeWhenDone(HWND hwnd);
    // Another window took the mouse: the pending presses end unclicked.
    void Cancel();
    // A key press of the control's own holds the mouse as well, and lets go of
    // it at once; neither changes what the mouse buttons hold.
    void Hold(HWND hwnd);
    void Free(HWND hwnd);

private:
    short held_ = 0;
    bool tookCapture_ = false;
};

// A release at (x, y), client coordinates, is over the window only inside its
// client area and where no other window and no cut of its region lies on top.
bool ReleasedOver(HWND hwnd, int x, int y);

}  // namespace rt
