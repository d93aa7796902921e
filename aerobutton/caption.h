// Measuring and drawing the caption with the device context's current font.
// A single ampersand underlines the next character; two show one ampersand.
#pragma once

#include <windows.h>

#include <string>

namespace aero {

// The size of the caption word-wrapped to width W: (widest line, all lines).
// Wide text when wide is true, else the ANSI conversion of it.
SIZE MeasureCaption(HDC dc, const std::wstring& caption, long W, long H, bool wide);

// Draws the caption centred line by line in the box, wrapped, unclipped, in the colour.
void DrawCaptionText(HDC dc, const std::wstring& caption, const RECT& box, long colour, bool wide);

}  // namespace aero
