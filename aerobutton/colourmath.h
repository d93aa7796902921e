// Colour arithmetic of the button: splitting, joining, blending and shifting
// colour values (red + 256 * green + 65536 * blue), and the derived palette.
// Fractions are single precision; every result is rounded half to even.
#pragma once

#include <windows.h>

#include <cstdint>

#include "state.h"

namespace aero {

struct ColorChannels {
    long Red;
    long Green;
    long Blue;
};

ColorChannels SplitColor(long c);
long MakeRGB(long r, long g, long b);
// Each channel round(c1 + t * (c2 - c1)).
long BlendColors(long c1, long c2, float t);
// Each channel round(v + a * 255), clamped at 255 when a > 0, else at 0.
long ShiftColor(long c, float a);
float ClampSingle(float v, long lo, long hi);

// One byte of a picture blended onto the background: round(bg + alpha * (pic - bg)).
uint8_t BlendByte(uint8_t background, uint8_t picture, float alpha);
// Three-byte pixels (blue, green, red) blended byte by byte into out.
void BlendPixel(const uint8_t* background, const uint8_t* picture, float alpha, uint8_t* out);

// The palette for the given OLE colours, entries in their fixed order.
Palette ComputePalette(long backColor, long foreColor, long maskColor);

// The colour of one row of a three-stop vertical gradient: top at the top edge
// of the control, the middle colour at split row s, bottom at row y2.
struct GradientRows {
    ColorChannels top;
    ColorChannels mid;
    ColorChannels bottom;
    float split;  // s
    long y2;
};
// Rows y1..y2 (already ordered) with the split at percent (clamped to 0..100).
GradientRows PlanGradient(long topColour, long bottomColour, float percent, long y1, long y2);
long GradientRowColour(const GradientRows& plan, long y);

}  // namespace aero
