// The window's skin, drawn at run time for the display's scale, so it stays
// crisp at any DPI: the background with its title band, and the picture strip
// that stands in for the minimise and close buttons, in its five looks. At 96
// DPI it is the 510 x 171 background and the 69 x 20 strip, pixel for pixel.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/picture.h"

namespace skin {

// Pixels, top row first; each an RGB() colour value.
struct Canvas {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Pixels;
    COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// Sizes at 96 DPI; the minimise half of the strip is its first 26 columns.
inline constexpr SIZE kBackgroundSize{510, 171};
inline constexpr SIZE kStripSize{69, 20};
inline constexpr int kMinimiseColumns = 26;

enum class Look { Rest, Hot, Down };

// The background at `dpi`, at least as large as `client`: where the client area
// is larger than the scaled picture, the band and the body go on to its edges.
Canvas DrawBackground(int dpi, SIZE client);
// The strip at `dpi` with each half in its look.
Canvas DrawStrip(Look minimise, Look close, int dpi);

// A bitmap picture of the canvas; null when the bitmap cannot be made.
rt::PictureRef ToPicture(const Canvas& canvas);

}  // namespace skin
