// A 32-bit top-down DIB section with its own memory device context: an image
// that GDI draws into and that can also be read word by word.
#pragma once

#include <windows.h>

#include <cstdint>

#include "gdi.h"

namespace rt {

// A read-only view of an image's pixels: width × height words 0x00RRGGBB,
// row by row from the top. Valid until the image is resized or destroyed.
struct PixelView {
    int width = 0;
    int height = 0;
    const uint32_t* bits = nullptr;

    uint32_t At(int x, int y) const { return bits[y * width + x]; }
    // The pixel as a colour value (0x00BBGGRR), comparable with RGB().
    COLORREF ColorAt(int x, int y) const {
        uint32_t p = At(x, y);
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

class DibImage {
public:
    DibImage();
    ~DibImage();
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    // The memory DC; valid for the image's lifetime, across resizes. Objects the
    // caller selects into it stay selected when the image is resized.
    HDC Dc() const { return dc_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Makes the image width × height, keeping the old pixels that fit and filling
    // the rest with fill. A size of zero in either direction leaves no bitmap.
    // False when the bitmap could not be made; the old image then stays.
    bool Resize(int width, int height, COLORREF fill);
    void Fill(COLORREF colour);
    // Copies the area (image coordinates) to the same place on target.
    void CopyTo(HDC target, const RECT& area) const;
    // Flushes pending GDI drawing, then gives the pixels.
    PixelView Pixels() const;

private:
    // The bitmap outlives the DC's last use of it: members end in reverse order.
    gdi::Bitmap bitmap_;
    gdi::MemoryDC dc_{nullptr};
    HGDIOBJ originalBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace rt
