#include "picture_draw.h"

#include <cstdint>
#include <vector>

#include "colourmath.h"
#include "gdi.h"

namespace aero {
namespace {

// 24-bit bottom-up rows padded to four bytes, the layout both buffers share.
struct PixelBuffer {
    BITMAPINFO info{};
    long stride = 0;
    std::vector<uint8_t> bytes;

    PixelBuffer(long w, long h) {
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        stride = (3 * w + 3) / 4 * 4;
        bytes.assign(static_cast<size_t>(stride) * h, 0);
    }

    void Read(HDC dc, HBITMAP bitmap) {
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmiHeader.biHeight), bytes.data(), &info,
                  DIB_RGB_COLORS);
    }
};

// The picture at w x h: from (srcX, srcY), one to one where it was clipped,
// else the whole picture stretched.
rt::gdi::Bitmap ScaledPicture(const Canvas& canvas, const PictureSource& pic, const PictureDrawing& how,
                              long w, long h, long srcX, long srcY, const RECT& R) {
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

    // Only a natural-size picture is ever clipped; a stretched one that merely
    // reaches the client edge must still be scaled as a whole.
    const long srcW = how.natural && (srcX > 0 || R.right == canvas.W) ? w : pic.picW;
    const long srcH = how.natural && (srcY > 0 || R.bottom == canvas.H) ? h : pic.picH;
    rt::gdi::Bitmap scaled(CreateCompatibleBitmap(canvas.dc, w, h));
    rt::gdi::MemoryDC target(canvas.dc);
    rt::gdi::Selection targetImage(target.Get(), scaled.Get());
    StretchBlt(target.Get(), 0, 0, w, h, source.Get(), srcX, srcY, srcW, srcH, SRCCOPY);
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
    RECT R = how.box;
    long srcX = 0, srcY = 0;
    if (how.natural) {
        if (R.left < 0) {
            srcX = -R.left;
            R.left = 0;
        }
        if (R.top < 0) {
            srcY = -R.top;
            R.top = 0;
        }
        if (R.bottom > canvas.H) R.bottom = canvas.H;
        if (R.right > canvas.W) R.right = canvas.W;
    }
    const long w = R.right - R.left, h = R.bottom - R.top;
    if (w < 1 || h < 1 || !pic.handle || pic.picW < 1 || pic.picH < 1) return;

    rt::gdi::Bitmap scaled = ScaledPicture(canvas, pic, how, w, h, srcX, srcY, R);
    rt::gdi::Bitmap face = Background(canvas, R, w, h);
    PixelBuffer picture(w, h), background(w, h);
    picture.Read(canvas.dc, scaled.Get());
    background.Read(canvas.dc, face.Get());

    if (how.hasKey || how.alpha != 1.0f) Composite(canvas.dc, picture, background, w, h, how);
    SetDIBitsToDevice(canvas.dc, R.left, R.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                      static_cast<UINT>(h), picture.bytes.data(), &picture.info, DIB_RGB_COLORS);
}

}  // namespace aero
