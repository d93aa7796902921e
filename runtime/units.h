// Unit conversions: twips, pixels and HIMETRIC, and the rounding used for them.
#pragma once

namespace rt {

// Nearest integer, an exact half going to the even neighbour (12.5 -> 12, 13.5 -> 14).
long RoundHalfEven(double value);

// Twips per pixel from the screen's DPI (15 at 96 DPI), as fractions.
double TwipsPerPixelX();
double TwipsPerPixelY();

// The screen's vertical pixels per inch (96 when it cannot be read).
int ScreenDpiY();

// HIMETRIC (0.01 mm) <-> pixels at the screen's DPI, unrounded.
double HimetricToPixelsX(double himetric);
double HimetricToPixelsY(double himetric);
double PixelsToHimetricX(double pixels);
double PixelsToHimetricY(double pixels);

}  // namespace rt
