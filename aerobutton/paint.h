// The button face of each visual state, the inner ring and border chosen from
// the state flags, the corner pixels, and the window region of each shape.
#pragma once

#include <windows.h>

#include "primitives.h"
#include "runtime/gdi.h"
#include "state.h"

namespace aero {

enum class Face { Normal, Hot, Down, Checked, Disabled };

// The row both bands of a two-band face share: H / 2, halves to even.
long MiddleRow(long H);

// A checked, enabled check box that is pressed shows its checked face.
long FaceState(long state, const AeroButtonState& s);
// The face for face state F (the result of FaceState).
Face ChooseFace(long F, bool value);
void DrawFace(const Canvas& canvas, Face face, const Palette& palette);

struct Frame {
    long border;
    bool ring;
    long ringColour;
};
// Ring and border from F and the fields (nState, focus, host activity, mouse).
Frame ChooseFrame(long F, const AeroButtonState& s);
// Ring, border and the corner pixels the shape keeps rounded.
void DrawFrame(const Canvas& canvas, const Frame& frame, long buttonShape);

// The window region: a rounded rectangle, with the halves the shape makes square
// joined in as plain rectangles.
rt::gdi::Region BuildButtonRegion(long W, long H, long buttonShape, int ellipseW, int ellipseH);

}  // namespace aero
