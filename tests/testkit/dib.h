// Device-independent bitmaps made in memory, for tests that draw, grab or
// compare pixels.
#pragma once

#include <windows.h>

#include <cstdint>

namespace testkit {

// A w x h DIB section of the given depth, bottom-up unless topDown; bits gets its pixels.
inline HBITMAP MakeDib(int width, int height, int bitsPerPixel, void** bits, bool topDown = false) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// A DIB section whose bytes follow a fixed pattern, padding included.
inline HBITMAP PatternBitmap(int width, int height, int bitsPerPixel) {
    void* bits = nullptr;
    HBITMAP bitmap = MakeDib(width, height, bitsPerPixel, &bits);
    const int stride = ((width * bitsPerPixel + 31) / 32) * 4;
    auto* bytes = static_cast<uint8_t*>(bits);
    for (int i = 0; i < stride * height; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bitmap;
}

}  // namespace testkit
