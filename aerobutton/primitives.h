// The drawing primitives of the button face. Each creates its own pen or
// brush, draws, puts the previous object back and frees what it created.
#pragma once

#include <windows.h>

namespace aero {

// A device context with the size of the client area it stands for. Its brush
// is expected to be hollow so that DrawBox only outlines.
struct Canvas {
    HDC dc;
    long W;
    long H;
};

// Every pixel of the client area.
void FillButton(const Canvas& canvas, long colour);
// A horizontal or vertical line covers both its end points; a point draws one pixel.
void DrawLine(const Canvas& canvas, long colour, long x1, long y1, long x2, long y2);
// The outline through columns left and right - 1 and rows top and bottom - 1.
void DrawBox(const Canvas& canvas, long colour, long left, long top, long right, long bottom);
// Rows y1..y2 from x1 to x2, top colour to the middle colour at the split row
// (percent of the band) and on to the bottom colour. x2 or y2 of -1 mean the
// last column or row of the client area.
void DrawGradient(const Canvas& canvas, long top, long bottom, float percent, long x1, long y1, long x2,
                  long y2);

}  // namespace aero
