// Backgrounds of forms and picture boxes, and the see-through painting of
// transparent controls (labels, image zones) over them.
#pragma once

#include <windows.h>

#include "picture.h"

namespace rt {

// Fills `area` with the OLE colour, then draws the picture (if any) with its
// top-left corner at the client's top-left, unscaled.
void PaintBackdrop(HDC dc, const RECT& area, long oleColour, const StdPicture* picture);

// Draws a bitmap or icon picture at (x, y), at its own pixel size.
void DrawPicture(HDC dc, const StdPicture& picture, int x, int y);

// Paints into `dc` (the child's client DC) what the parent's background shows
// under the child, by asking the parent to erase through a shifted origin.
void PaintParentBackground(HWND child, HDC dc);

}  // namespace rt
