// Unit conversions: twips, pixels and HIMETRIC, and the rounding used for them.
#pragma once

namespace rt {

// Nearest integer, an exact half going to the even neighbour (12.5 -> 12, 13.5 -> 14).
long RoundHalfEven(double value);

// Twips per pixel at the DPI in force (15 at 96 DPI), as fractions. Both axes
// share the one figure of dpi.h: screens have square pixels.
double TwipsPerPixelX();
double TwipsPerPixelY();

// The DPI in force (see dpi.h; 96 when the screen's cannot be read).
int ScreenDpiY();

// HIMETRIC (0.01 mm) <-> pixels at the screen's DPI, unrounded.
double HimetricToPixelsX(double himetric);
double HimetricToPixelsY(double himetric);
double PixelsToHimetricX(double pixels);
double PixelsToHimetricY(double pixels);

}  // namespace rt
