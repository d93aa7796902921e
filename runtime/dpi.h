// The scale the runtime lays out and draws at. It starts as the screen's DPI;
// a form that moves to a screen of another scale sets it to that screen's, so
// twips, HIMETRIC, fonts and system metrics follow the window.
#pragma once

#include <windows.h>

namespace rt {

inline constexpr int kDefaultDpi = 96;

// The DPI in force: the one a form last moved to, else the screen's.
int CurrentDpi();
// Sets the DPI in force; 0 goes back to the screen's.
void SetCurrentDpi(int dpi);

// `pixels` at 96 DPI scaled to `dpi`, rounded to the nearest (halves to even).
int ScaleToDpi(double pixels, int dpi);

// The DPI of the screen a window is on; CurrentDpi() where the system cannot tell.
int WindowDpi(HWND window);
// A system metric (SM_CXICON, ...) at `dpi`; where the system knows only one
// scale, the metric at the system's own, scaled.
int MetricForDpi(int index, int dpi);
// The system's tool-tip (status) font at `dpi`; null when it cannot be made.
HFONT CreateStatusFont(int dpi);

}  // namespace rt
