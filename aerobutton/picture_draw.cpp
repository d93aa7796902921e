#include "picture_draw.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "colourmath.h"
#include "runtime/gdi.h"
#include "runtime/units.h"

namespace aero {
namespace {

// A buffer larger than this is not drawn: the box is clipped to the control
// first, so only an absurd control size reaches it.
constexpr uint64_t kMaxBufferBytes = 256ull * 1024 * 1024;

// 24-bit bottom-up rows padded to four bytes, the layout both buffers share.
struct PixelBuffer {
    BITMAPINFO info{};
    long stride = 0;
    std::vector<uint8_t> bytes;

    // Sizes in 64 bits, so that no width or height can wrap the allocation.
    static uint64_t BytesFor(long w, long h) { return (3ull * static_cast<uint64_t>(w) + 3) / 4 * 4 * h; }

    PixelBuffer(long w, long h) {
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        stride = (3 * w + 3) / 4 * 4;
        bytes.assign(static_cast<size_t>(BytesFor(w, h)), 0);
    }

    void Read(HDC dc, HBITMAP bitmap) {
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmiHeader.biHeight), bytes.data(), &info,
                  DIB_RGB_COLORS);
    }
};

// The part of the picture box that lands on the control, and the part of the
// picture that fills it.
struct Placement {
    RECT dest;
    long srcX, srcY, srcW, srcH;
};

// One axis of the placement. A natural-size picture that was clipped is copied
// one to one; a sized one that was clipped shows the matching share of its
// stretched whole; an unclipped one is stretched whole.
void PlaceAxis(int64_t from, int64_t to, long limit, long picture, bool natural, LONG& destFrom, LONG& destTo,
               long& src, long& srcLength) {
    const int64_t clippedFrom = std::max<int64_t>(from, 0), clippedTo = std::min<int64_t>(to, limit);
    destFrom = static_cast<LONG>(clippedFrom);
    destTo = static_cast<LONG>(std::max(clippedTo, clippedFrom));
    const int64_t shown = clippedTo - clippedFrom;
    if (natural) {
        src = static_cast<long>(clippedFrom - from);
        srcLength = src > 0 || to >= limit ? static_cast<long>(shown) : picture;
    } else if (clippedFrom == from && clippedTo == to) {
        src = 0;
        srcLength = picture;
    } else {
        const double scale = static_cast<double>(picture) / static_cast<double>(to - from);
        src = static_cast<long>(static_cast<double>(clippedFrom - from) * scale);
        srcLength = std::max(1L, rt::RoundHalfEven(static_cast<double>(shown) * scale));
    }
}

Placement Place(const Canvas& canvas, const PictureSource& pic, const PictureDrawing& how) {
    Placement p{};
    PlaceAxis(how.box.left, how.box.right, canvas.W, pic.picW, how.natural, p.dest.left, p.dest.right, p.srcX,
              p.srcW);
    PlaceAxis(how.box.top, how.box.bottom, canvas.H, pic.picH, how.natural, p.dest.top, p.dest.bottom, p.srcY,
              p.srcH);
    return p;
}

// The picture at the placement's size, from the placement's source rectangle.
rt::gdi::Bitmap ScaledPicture(const Canvas& canvas, const PictureSource& pic, const PictureDrawing& how,
                              const Placement& at, long w, long h) {
    rt::gdi::MemoryDC source(canvas.dc);
    rt::gdi::Bitmap rendered;  // only for icons; the picture's own bitmap is never freed here
    HGDIOBJ image = pic.handle;
    if (pic.type != rt::PictureType::Bitmap) {
        rendered = rt::gdi::Bitmap(CreateCompatibleBitmap(canvas.dc, pic.picW, pic.picH));
        image = rendered.Get();
    }
    rt::gdi::Selection sourceImage(source.Get(), image);
    if (pic.type != rt::PictureType::Bitmap) {
        rt::gdi::Brush background = rt::gdi::SolidBrush(static_cast<COLORREF>(how.hasKey ? how.key : 0));
        DrawIconEx(source.Get(), 0, 0, static_cast<HICON>(pic.handle), pic.picW, pic.picH, 0,
                   background.Get(), DI_NORMAL);
    }
    rt::gdi::Bitmap scaled(CreateCompatibleBitmap(canvas.dc, w, h));
    rt::gdi::MemoryDC target(canvas.dc);
    rt::gdi::Selection targetImage(target.Get(), scaled.Get());
    StretchBlt(target.Get(), 0, 0, w, h, source.Get(), at.srcX, at.srcY, at.srcW, at.srcH, SRCCOPY);
    return scaled;
}

rt::gdi::Bitmap Background(const Canvas& canvas, const RECT& R, long w, long h) {
    rt::gdi::Bitmap face(CreateCompatibleBitmap(canvas.dc, w, h));
    rt::gdi::MemoryDC target(canvas.dc);
    rt::gdi::Selection targetImage(target.Get(), face.Get());
    BitBlt(target.Get(), 0, 0, w, h, canvas.dc, R.left, R.top, SRCCOPY);
    return face;
}

void Composite(HDC dc, PixelBuffer& picture, const PixelBuffer& face, long w, long h, const PictureDrawing& how) {
    // A palette device shows only its nearest colours; compare keys the way it would show them.
    const bool mapColours = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            uint8_t* p = picture.bytes.data() + y * picture.stride + 3 * x;
            const uint8_t* f = face.bytes.data() + y * face.stride + 3 * x;
            long c = MakeRGB(p[2], p[1], p[0]);
            if (mapColours) c = static_cast<long>(GetNearestColor(dc, static_cast<COLORREF>(c)));
            if (how.hasKey && c == how.key) {
                p[0] = f[0];
                p[1] = f[1];
                p[2] = f[2];
            } else if (how.alpha != 1.0f) {
                BlendPixel(f, p, how.alpha, p);
            }
        }
    }
}

}  // namespace

void DrawPicture(const Canvas& canvas, const PictureSource& pic, const PictureDrawing& how) {
    if (!pic.handle || pic.picW < 1 || pic.picH < 1) return;
    if (how.box.right <= how.box.left || how.box.bottom <= how.box.top) return;
    const Placement at = Place(canvas, pic, how);
    const RECT& R = at.dest;
    const long w = R.right - R.left, h = R.bottom - R.top;
    if (w < 1 || h < 1 || PixelBuffer::BytesFor(w, h) > kMaxBufferBytes) return;

    rt::gdi::Bitmap scaled = ScaledPicture(canvas, pic, how, at, w, h);
    rt::gdi::Bitmap face = Background(canvas, R, w, h);
    if (!scaled || !face) return;
    PixelBuffer picture(w, h), background(w, h);
    picture.Read(canvas.dc, scaled.Get());
    background.Read(canvas.dc, face.Get());

    if (how.hasKey || how.alpha != 1.0f) Composite(canvas.dc, picture, background, w, h, how);
    SetDIBitsToDevice(canvas.dc, R.left, R.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                      static_cast<UINT>(h), picture.bytes.data(), &picture.info, DIB_RGB_COLORS);
}

}  // namespace aero
