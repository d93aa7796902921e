// Bitmaps and pictures made in memory, pixel by pixel, for the tests to draw
// and compare.
#pragma once

#include <windows.h>

#include <cstdint>

#include "dib.h"
#include "picture.h"

namespace testkit {

// A bitmap picture whose pixel (x, y) is colour(x, y), a COLORREF.
template <class Colour>
rt::PictureRef PictureOf(int width, int height, Colour colour) {
    void* bits = nullptr;
    HBITMAP bitmap = MakeDib(width, height, 32, &bits, true);
    auto* words = static_cast<uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            words[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return rt::StdPicture::FromBitmap(bitmap);
}

}  // namespace testkit
