#include "dibimage.h"

#include <algorithm>

namespace rt {

namespace {

HBITMAP CreateTopDownDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* raw = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    *bits = bitmap ? static_cast<uint32_t*>(raw) : nullptr;
    return bitmap;
}

uint32_t ToPixel(COLORREF colour) {
    return (static_cast<uint32_t>(GetRValue(colour)) << 16) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

}  // namespace

DibImage::DibImage() {
    if (dc_) originalBitmap_ = GetCurrentObject(dc_.Get(), OBJ_BITMAP);
}

DibImage::~DibImage() {
    if (dc_) SelectObject(dc_.Get(), originalBitmap_);
}

bool DibImage::Resize(int width, int height, COLORREF fill) {
    if (!dc_) return false;
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_ && (bitmap_ || width == 0 || height == 0)) return true;

    uint32_t* newBits = nullptr;
    gdi::Bitmap newBitmap(width > 0 && height > 0 ? CreateTopDownDib(width, height, &newBits) : nullptr);
    if (width > 0 && height > 0 && !newBitmap) return false;  // the old image stays
    if (newBitmap) {
        GdiFlush();  // finish drawing on the old image before reading it
        std::fill(newBits, newBits + static_cast<size_t>(width) * height, ToPixel(fill));
        int keepW = std::min(width, width_);
        int keepH = std::min(height, height_);
        for (int y = 0; y < keepH; ++y) std::copy_n(bits_ + y * width_, keepW, newBits + y * width);
    }

    SelectObject(dc_.Get(), newBitmap ? static_cast<HGDIOBJ>(newBitmap.Get()) : originalBitmap_);
    width_ = newBitmap ? width : 0;
    height_ = newBitmap ? height : 0;
    bitmap_ = std::move(newBitmap);
    bits_ = newBits;
    return true;
}

void DibImage::Fill(COLORREF colour) {
    if (!bits_) return;
    GdiFlush();
    std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, ToPixel(colour));
}

void DibImage::CopyTo(HDC target, const RECT& area) const {
    if (!bitmap_) return;
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_.Get(), area.left,
           area.top, SRCCOPY);
}

PixelView DibImage::Pixels() const {
    GdiFlush();
    return PixelView{width_, height_, bits_};
}

}  // namespace rt
