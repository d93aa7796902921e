// Bitmaps and pictures made in memory, pixel by pixel, for the tests to draw
// and compare.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "dib.h"
#include "runtime/gdi.h"
#include "runtime/picture.h"

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

inline constexpr COLORREF kTransparent = CLR_INVALID;

// A square icon picture whose pixel (x, y) is colour(x, y), a COLORREF, or
// kTransparent.
template <class Colour>
rt::PictureRef IconOf(int size, Colour colour) {
    const int maskStride = ((size + 31) / 32) * 4;
    std::vector<uint8_t> andBits(static_cast<size_t>(maskStride * size), 0);
    std::vector<uint32_t> words(static_cast<size_t>(size * size), 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const COLORREF c = colour(x, y);
            if (c == kTransparent)
                andBits[y * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            else
                words[y * size + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    rt::gdi::Bitmap mask(CreateBitmap(size, size, 1, 1, andBits.data()));
    rt::gdi::Bitmap colourBitmap(CreateBitmap(size, size, 1, 32, words.data()));
    ICONINFO info{TRUE, 0, 0, mask.Get(), colourBitmap.Get()};
    return rt::StdPicture::FromIcon(CreateIconIndirect(&info));
}

}  // namespace testkit
