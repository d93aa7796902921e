// A plain, fixed-size window showing the background picture; it stands in for the
// skinned main window until that window exists.
#pragma once

#include <windows.h>

#include "gdi_handles.h"

class StandInWindow {
public:
    static constexpr int kClientWidth = 511;
    static constexpr int kClientHeight = 168;

    // Creates the window hidden and centred on the screen; null on failure.
    static HWND Create(HINSTANCE instance, StandInWindow& state);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint(HWND window);

    gdi::OwnedBitmap background_;
};
