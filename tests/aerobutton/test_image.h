// A 32-bit top-down DIB section with its own memory DC and a hollow brush:
// the same kind of surface the control paints on, readable pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "aerobutton/primitives.h"
#include "runtime/gdi.h"

namespace aerotest {

class TestImage {
public:
    TestImage(long width, long height, COLORREF fill = RGB(1, 2, 3));
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    aero::Canvas Canvas() const { return {dc_.Get(), width_, height_}; }
    HDC Dc() const { return dc_.Get(); }
    void Fill(COLORREF colour);
    COLORREF At(long x, long y) const;  // as RGB()

private:
    // In this order so that the end undoes the selections before freeing the bitmap and the DC.
    long width_, height_;
    uint32_t* bits_ = nullptr;
    rt::gdi::MemoryDC dc_{nullptr};
    rt::gdi::Bitmap bitmap_;
    rt::gdi::Selection imageSelected_;
    rt::gdi::Selection hollowBrush_;
};

constexpr COLORREF Grey(int v) { return RGB(v, v, v); }

// The fixed frame colours of the button.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kActive = RGB(60, 127, 177);
constexpr COLORREF kCyan = RGB(72, 216, 251);
constexpr COLORREF kPressed = RGB(44, 98, 139);
constexpr COLORREF kPlain = RGB(112, 112, 112);
constexpr COLORREF kDisabledBorder = RGB(173, 178, 181);

}  // namespace aerotest
