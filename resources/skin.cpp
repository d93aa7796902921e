#include "skin.h"

#include <algorithm>
#include <string_view>

#include "runtime/dpi.h"
#include "runtime/gdi.h"
#include "runtime/units.h"

namespace skin {
namespace {

constexpr COLORREF kBandTop = RGB(62, 64, 71);
constexpr COLORREF kBandBottom = RGB(34, 36, 41);
constexpr COLORREF kEdge = RGB(48, 49, 54);
constexpr COLORREF kBody = RGB(211, 211, 211);
constexpr COLORREF kBandLine = RGB(24, 25, 28);
constexpr COLORREF kRim = RGB(236, 236, 236);
constexpr COLORREF kTitle = RGB(226, 228, 232);
constexpr COLORREF kStripEdge = RGB(20, 21, 24);
constexpr COLORREF kSeparatorLight = RGB(84, 86, 94);

// A 5 x 7 pixel font for the title.
struct Glyph {
    wchar_t ch;
    const char* rows[7];
};
constexpr Glyph kGlyphs[] = {
    {L'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {L'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {L'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {L'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {L'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {L'n', {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {L'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {L'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
    {L's', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {L'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {L'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
};

struct HalfLook {
    COLORREF top, bottom, glyph;
};
constexpr HalfLook kMinimiseLooks[] = {
    {kBandTop, kBandBottom, RGB(200, 202, 208)},
    {RGB(96, 100, 112), RGB(66, 69, 79), RGB(255, 255, 255)},
    {RGB(26, 27, 31), RGB(40, 42, 48), RGB(170, 172, 178)},
};
constexpr HalfLook kCloseLooks[] = {
    {kBandTop, kBandBottom, RGB(200, 202, 208)},
    {RGB(224, 84, 72), RGB(178, 40, 34), RGB(255, 255, 255)},
    {RGB(128, 24, 20), RGB(156, 34, 28), RGB(235, 210, 208)},
};

// Draws in 96-DPI units on a canvas at some DPI.
class Painter {
public:
    Painter(int width, int height, int dpi) : dpi_(dpi) {
        canvas_.Width = width;
        canvas_.Height = height;
        canvas_.Pixels.assign(static_cast<size_t>(width) * height, kBody);
    }
    Canvas Take() { return std::move(canvas_); }
    int Width() const { return canvas_.Width; }
    int Height() const { return canvas_.Height; }

    // A 96-DPI length or place in this canvas's pixels.
    int Px(double units) const { return rt::ScaleToDpi(units, dpi_); }

    // Fills pixel columns [x0, x1) of rows [y0, y1), clipped to the canvas.
    void Fill(int x0, int y0, int x1, int y1, COLORREF colour) {
        for (int y = std::max(y0, 0); y < std::min(y1, Height()); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, Width()); ++x) Set(x, y, colour);
    }

    // Rows [y0, y1) shade from `top` to `bottom`, each row rounded to the nearest (halves to even).
    void Gradient(int x0, int y0, int x1, int y1, COLORREF top, COLORREF bottom) {
        const int span = std::max(1, y1 - y0 - 1);
        for (int y = y0; y < y1; ++y) Fill(x0, y, x1, y + 1, Mix(top, bottom, y - y0, span));
    }

    // The title text in blocks, one per pixel of the 96-DPI font.
    void Text(int x, int y, std::wstring_view text, COLORREF colour) {
        const int block = (dpi_ + rt::kDefaultDpi - 1) / rt::kDefaultDpi;
        for (wchar_t ch : text) {
            if (ch == L' ') {
                x += 3;
                continue;
            }
            const Glyph* glyph = Find(ch);
            if (!glyph) continue;
            int first = 5, last = -1;
            for (const char* row : glyph->rows)
                for (int c = 0; c < 5; ++c)
                    if (row[c] == '#') {
                        first = std::min(first, c);
                        last = std::max(last, c);
                    }
            for (int r = 0; r < 7; ++r)
                for (int c = first; c <= last; ++c)
                    if (glyph->rows[r][c] == '#') {
                        const int px = (x + c - first) * dpi_ / rt::kDefaultDpi;
                        const int py = (y + r) * dpi_ / rt::kDefaultDpi;
                        Fill(px, py, px + block, py + block, colour);
                    }
            x += last - first + 2;
        }
    }

    // A diagonal two units thick through rows cy-4 .. cy+4 of the 96-DPI picture;
    // `slope` +1 runs down to the right, -1 down to the left. `shift` moves it down (pixels).
    void Diagonal(int cx, int cy, int slope, int shift, COLORREF colour) {
        const double scale = static_cast<double>(dpi_) / rt::kDefaultDpi;
        for (int y = Px(cy - 4); y < Px(cy + 5); ++y) {
            const double t = (y + 0.5) / scale - 0.5 - cy;
            const int x = rt::RoundHalfEven((cx + slope * t) * scale);
            Fill(x, y + shift, x + Px(2), y + shift + 1, colour);
        }
    }

private:
    void Set(int x, int y, COLORREF colour) { canvas_.Pixels[static_cast<size_t>(y) * Width() + x] = colour; }

    static const Glyph* Find(wchar_t ch) {
        for (const Glyph& g : kGlyphs)
            if (g.ch == ch) return &g;
        return nullptr;
    }

    // One channel at step/span of the way from a to b, rounded exactly.
    static int MixChannel(int a, int b, int step, int span) {
        const int num = a * span + (b - a) * step;  // never negative: between a*span and b*span
        int q = num / span;
        const int twice = 2 * (num % span);
        if (twice > span || (twice == span && (q & 1))) ++q;
        return q;
    }
    static COLORREF Mix(COLORREF a, COLORREF b, int step, int span) {
        return RGB(MixChannel(GetRValue(a), GetRValue(b), step, span),
                   MixChannel(GetGValue(a), GetGValue(b), step, span),
                   MixChannel(GetBValue(a), GetBValue(b), step, span));
    }

    int dpi_;
    Canvas canvas_;
};

}  // namespace

Canvas DrawBackground(int dpi, SIZE client) {
    const int pictureWidth = rt::ScaleToDpi(kBackgroundSize.cx, dpi);
    const int pictureHeight = rt::ScaleToDpi(kBackgroundSize.cy, dpi);
    Painter p(std::max<int>(pictureWidth, client.cx), std::max<int>(pictureHeight, client.cy), dpi);
    const int band = p.Px(20);
    p.Gradient(0, 0, p.Width(), band, kBandTop, kBandBottom);
    p.Fill(0, band, p.Width(), p.Px(21), kBandLine);
    p.Fill(0, p.Px(21), p.Width(), p.Px(22), kRim);  // light rim under the band
    p.Text(10, 7, L"Quorvane Tessiver", kTitle);
    // The thin edge frames the picture's own size, so at 96 DPI every pixel is as drawn there.
    const int edge = p.Px(1);
    p.Fill(0, 0, p.Width(), edge, kEdge);
    p.Fill(0, 0, edge, p.Height(), kEdge);
    p.Fill(0, pictureHeight - edge, pictureWidth, pictureHeight, kEdge);
    p.Fill(pictureWidth - edge, 0, pictureWidth, pictureHeight, kEdge);
    return p.Take();
}

Canvas DrawStrip(Look minimise, Look close, int dpi) {
    Painter p(rt::ScaleToDpi(kStripSize.cx, dpi), rt::ScaleToDpi(kStripSize.cy, dpi), dpi);
    const int split = p.Px(kMinimiseColumns);
    const int line = p.Px(1);

    const HalfLook& min = kMinimiseLooks[static_cast<int>(minimise)];
    p.Gradient(0, 0, split, p.Height(), min.top, min.bottom);
    const int minShift = minimise == Look::Down ? line : 0;
    p.Fill(p.Px(8), p.Px(12) + minShift, p.Px(18), p.Px(14) + minShift, min.glyph);  // the bar

    const HalfLook& cls = kCloseLooks[static_cast<int>(close)];
    p.Gradient(split, 0, p.Width(), p.Height(), cls.top, cls.bottom);
    const int closeShift = close == Look::Down ? line : 0;
    p.Diagonal(47, 9, +1, closeShift, cls.glyph);  // the cross
    p.Diagonal(47, 9, -1, closeShift, cls.glyph);

    // Its own edges: a dark frame and a separator between the halves.
    p.Fill(0, p.Height() - line, p.Width(), p.Height(), kStripEdge);
    p.Fill(0, 0, line, p.Height(), kStripEdge);
    p.Fill(p.Width() - line, 0, p.Width(), p.Height(), kStripEdge);
    p.Fill(split - line, 0, split, p.Height(), kBandLine);
    p.Fill(split, 0, split + line, p.Height(), kSeparatorLight);
    return p.Take();
}

rt::PictureRef ToPicture(const Canvas& canvas) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = canvas.Width;
    info.bmiHeader.biHeight = -canvas.Height;  // top row first, as the canvas
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    rt::gdi::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    auto* out = static_cast<DWORD*>(bits);
    for (size_t i = 0; i < canvas.Pixels.size(); ++i) {
        const COLORREF c = canvas.Pixels[i];  // 0x00BBGGRR to the DIB's 0x00RRGGBB
        out[i] = (static_cast<DWORD>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    return rt::StdPicture::FromBitmap(bitmap.Release());
}

}  // namespace skin
