#include "test_image.h"

#include <vector>

#include "pictures.h"

namespace aerotest {

namespace {
HBITMAP TopDownSection(long width, long height, uint32_t** bits) {
    void* raw = nullptr;
    HBITMAP bitmap = testkit::MakeDib(width, height, 32, &raw, true);
    *bits = static_cast<uint32_t*>(raw);
    return bitmap;
}
}  // namespace

TestImage::TestImage(long width, long height, COLORREF fill)
    : width_(width),
      height_(height),
      bitmap_(TopDownSection(width, height, &bits_)),
      imageSelected_(dc_.Get(), bitmap_.Get()),
      hollowBrush_(dc_.Get(), GetStockObject(HOLLOW_BRUSH)) {
    SetBkMode(dc_.Get(), TRANSPARENT);
    Fill(fill);
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

}  // namespace aerotest
