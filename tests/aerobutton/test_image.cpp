#include "test_image.h"

#include <cstdio>
#include <vector>

namespace aerotest {

BITMAPINFO TopDown32(long width, long height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

TestImage::TestImage(long width, long height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    oldBrush_ = SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
    SetBkMode(dc_, TRANSPARENT);
    Fill(fill);
}

TestImage::~TestImage() {
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void TestImage::Fill(COLORREF colour) {
    GdiFlush();
    const uint32_t word = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (long i = 0; i < width_ * height_; ++i) bits_[i] = word;
}

COLORREF TestImage::At(long x, long y) const {
    GdiFlush();
    const uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool WriteBmp(const std::wstring& path, long width, long height, const uint32_t* pixels) {
    BITMAPFILEHEADER file{};
    const BITMAPINFOHEADER info = TopDown32(width, height).bmiHeader;
    const DWORD bytes = static_cast<DWORD>(width * height * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + bytes;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    bool ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1 &&
              fwrite(pixels, bytes, 1, out) == 1;
    return fclose(out) == 0 && ok;
}

}  // namespace aerotest
