#include "picture.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <memory>

#include "gdi.h"
#include "handles.h"
#include "ondemand.h"
#include "units.h"

namespace rt {
namespace {

// The two bitmaps GetIconInfo hands out, which the caller must delete.
struct IconBitmaps {
    explicit IconBitmaps(HICON icon) : IconBitmaps(Query(icon)) {}
    gdi::Bitmap color;
    gdi::Bitmap mask;
    POINT hotspot;
    bool isIcon;

private:
    explicit IconBitmaps(const ICONINFO& info)
        : color(info.hbmColor),
          mask(info.hbmMask),
          hotspot{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)},
          isIcon(info.fIcon != FALSE) {}
    static ICONINFO Query(HICON icon) {
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon, &info)) info = ICONINFO{TRUE, 0, 0, nullptr, nullptr};
        return info;
    }
};

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
template <class T>
void PutRaw(std::vector<uint8_t>& out, const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

long long Stride(long long width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

// A BITMAPINFO with room for a full colour table (or the three bit-field masks).
struct DibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colors[256]{};
    BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

ComPtr<IStream> StreamOver(const std::vector<uint8_t>& bytes) {
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory) return {};
    std::memcpy(GlobalLock(memory.Get()), bytes.data(), bytes.size());
    GlobalUnlock(memory.Get());
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Put()))) return {};
    memory.Release();  // the stream frees it now
    return stream;
}

std::vector<uint8_t> StreamBytes(IStream* stream) {
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream, &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return {};
    std::vector<uint8_t> out(static_cast<size_t>(stat.cbSize.QuadPart));
    if (!out.empty()) {
        std::memcpy(out.data(), GlobalLock(memory), out.size());
        GlobalUnlock(memory);
    }
    return out;
}

// The platform's decoder accepts a .bmp of no width, or whose pixels start or
// run past the end of the bytes; only a damaged description holds such bytes.
bool PlausibleBmp(const std::vector<uint8_t>& b) {
    if (b.size() < 14 + sizeof(BITMAPINFOHEADER) || b[0] != 'B' || b[1] != 'M') return true;
    BITMAPINFOHEADER h;
    std::memcpy(&h, &b[14], sizeof h);
    uint32_t offBits = 0;
    std::memcpy(&offBits, &b[10], sizeof offBits);
    const long long width = h.biWidth,
                    height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    if (width <= 0 || height <= 0 || offBits >= b.size()) return false;
    if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return true;  // compressed: any length
    return Stride(width, h.biBitCount) * height <= static_cast<long long>(b.size() - offBits);
}

// The platform's picture object decodes .bmp, .ico and .cur files.
ComPtr<IPicture> Decode(const std::vector<uint8_t>& bytes) {
    const ComPtr<IStream> stream =
        bytes.empty() || !PlausibleBmp(bytes) ? ComPtr<IStream>() : StreamOver(bytes);
    ComPtr<IPicture> picture;
    if (!stream ||
        FAILED(rt::ondemand::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE,
                                            IID_IPicture, reinterpret_cast<void**>(picture.Put()))))
        return {};
    return picture;
}

// An icon as .ico bytes, by the platform's picture object. Its persisted form
// is a "lt\0\0" tag and a length before the file bytes.
std::vector<uint8_t> SaveIcon(HICON icon) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon;
    ComPtr<IPersistStream> persist;
    if (FAILED(rt::ondemand::OleCreatePictureIndirect(&description, IID_IPersistStream, FALSE,
                                                      reinterpret_cast<void**>(persist.Put()))))
        return {};
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return {};
    if (FAILED(persist->Save(stream.Get(), TRUE))) return {};
    std::vector<uint8_t> bytes = StreamBytes(stream.Get());
    constexpr size_t kTag = 8;
    if (bytes.size() <= kTag || bytes[0] != 'l' || bytes[1] != 't') return {};
    return std::vector<uint8_t>(bytes.begin() + kTag, bytes.end());
}

// The bitmap's pixels as a bottom-up DIB: header, colour table and bits.
bool ReadDib(HBITMAP bitmap, int bitCount, int height, DibInfo& info, std::vector<uint8_t>& bits) {
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof bm, &bm)) return false;
    info = DibInfo{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = bm.bmWidth;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitCount);
    info.header.biCompression = BI_RGB;
    bits.assign(static_cast<size_t>(Stride(bm.bmWidth, bitCount) * height), 0);
    gdi::ClientDC screen(nullptr);
    if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), bits.data(), info.Get(),
                  DIB_RGB_COLORS) == 0)
        return false;
    info.header.biSizeImage = static_cast<DWORD>(bits.size());
    if (bitCount <= 8) info.header.biClrUsed = static_cast<DWORD>(1 << bitCount);
    return true;
}

std::vector<uint8_t> EncodeBmp(HBITMAP bitmap) {
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof bm, &bm)) return {};
    const int bpp = bm.bmBitsPixel <= 8 ? (bm.bmBitsPixel <= 1   ? 1
                                           : bm.bmBitsPixel <= 4 ? 4
                                                                 : 8)
                                        : (bm.bmBitsPixel == 32 ? 32 : 24);
    DibInfo info;
    std::vector<uint8_t> bits;
    if (!ReadDib(bitmap, bpp, bm.bmHeight, info, bits)) return {};
    const uint32_t tableBytes = bpp <= 8 ? (1u << bpp) * 4 : 0;
    const uint32_t offBits = 14 + 40 + tableBytes;
    std::vector<uint8_t> out;
    out.reserve(offBits + bits.size());
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(offBits + bits.size()));
    Put32(out, 0);
    Put32(out, offBits);
    PutRaw(out, info.header);
    const auto* table = reinterpret_cast<const uint8_t*>(info.colors);
    out.insert(out.end(), table, table + tableBytes);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

// --- .ico / .cur ------------------------------------------------------------

std::vector<uint8_t> EncodeIco(HICON icon) {
    IconBitmaps parts(icon);
    if (!parts.mask.Get()) return {};
    BITMAP maskBm{};
    GetObjectW(parts.mask.Get(), sizeof maskBm, &maskBm);
    std::vector<uint8_t> image;
    int width = maskBm.bmWidth, height, bpp;
    DibInfo info;
    std::vector<uint8_t> bits;
    if (!parts.color.Get()) {
        // Monochrome: the mask holds the AND half over the XOR half, which is
        // exactly the layout of a 1-bit icon image.
        height = maskBm.bmHeight / 2;
        bpp = 1;
        if (!ReadDib(parts.mask.Get(), 1, maskBm.bmHeight, info, bits)) return {};
        PutRaw(image, info.header);
        image.insert(image.end(), reinterpret_cast<const uint8_t*>(info.colors),
                     reinterpret_cast<const uint8_t*>(info.colors) + 8);
        image.insert(image.end(), bits.begin(), bits.end());
    } else {
        height = maskBm.bmHeight;
        bpp = 32;
        DibInfo maskInfo;
        std::vector<uint8_t> maskBits;
        if (!ReadDib(parts.color.Get(), 32, height, info, bits) ||
            !ReadDib(parts.mask.Get(), 1, height, maskInfo, maskBits))
            return {};
        info.header.biHeight = height * 2;
        info.header.biSizeImage = static_cast<DWORD>(bits.size() + maskBits.size());
        PutRaw(image, info.header);
        image.insert(image.end(), bits.begin(), bits.end());
        image.insert(image.end(), maskBits.begin(), maskBits.end());
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, parts.isIcon ? 1 : 2);
    Put16(out, 1);
    out.push_back(static_cast<uint8_t>(width >= 256 ? 0 : width));
    out.push_back(static_cast<uint8_t>(height >= 256 ? 0 : height));
    out.push_back(static_cast<uint8_t>(bpp == 1 ? 2 : 0));
    out.push_back(0);
    Put16(out, parts.isIcon ? 1 : static_cast<uint32_t>(parts.hotspot.x));
    Put16(out, parts.isIcon ? static_cast<uint32_t>(bpp) : static_cast<uint32_t>(parts.hotspot.y));
    Put32(out, static_cast<uint32_t>(image.size()));
    Put32(out, 22);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

bool ReadFileBytes(const std::wstring& path, std::vector<uint8_t>& out) {
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64LL * 1024 * 1024) return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return out.empty() || (ReadFile(file.Get(), out.data(), static_cast<DWORD>(out.size()), &read, nullptr) &&
                           read == out.size());
}

}  // namespace

StdPicture::StdPicture(PictureType type, int pixelWidth, int pixelHeight)
    : type_(type),
      pixelWidth_(pixelWidth),
      pixelHeight_(pixelHeight),
      widthHimetric_(RoundHalfEven(PixelsToHimetricX(pixelWidth))),
      heightHimetric_(RoundHalfEven(PixelsToHimetricY(pixelHeight))) {}

HANDLE StdPicture::Handle() const {
    if (bitmap_) return bitmap_.Get();
    return Icon();
}

std::shared_ptr<StdPicture> StdPicture::FromBitmap(HBITMAP bitmap) {
    gdi::Bitmap owned(bitmap);
    BITMAP bm{};
    if (!owned || !GetObjectW(bitmap, sizeof bm, &bm)) return nullptr;
    auto picture = std::shared_ptr<StdPicture>(new StdPicture(PictureType::Bitmap, bm.bmWidth, bm.bmHeight));
    picture->bitmap_ = std::move(owned);
    return picture;
}

std::shared_ptr<StdPicture> StdPicture::FromIcon(HICON icon) {
    IconBitmaps parts(icon);
    // A cursor keeps its hotspot and is destroyed as a cursor.
    gdi::Icon ownedIcon(parts.isIcon ? icon : nullptr);
    gdi::Cursor ownedCursor(parts.isIcon ? nullptr : icon);
    BITMAP bm{};
    if (!icon || !parts.mask.Get() || !GetObjectW(parts.mask.Get(), sizeof bm, &bm)) return nullptr;
    // Without a colour bitmap the mask is twice the icon's height (AND over XOR).
    const int height = parts.color.Get() ? bm.bmHeight : bm.bmHeight / 2;
    auto picture = std::shared_ptr<StdPicture>(new StdPicture(PictureType::Icon, bm.bmWidth, height));
    picture->icon_ = std::move(ownedIcon);
    picture->cursor_ = std::move(ownedCursor);
    return picture;
}

std::shared_ptr<StdPicture> StdPicture::FromFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) return nullptr;
    return Load(bytes);
}

std::shared_ptr<StdPicture> StdPicture::FromBitmapResource(HINSTANCE module, const wchar_t* name) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return FromBitmap(bitmap);
}

std::shared_ptr<StdPicture> StdPicture::FromIconResource(HINSTANCE module, const wchar_t* name, int cx,
                                                         int cy) {
    const UINT flags = (cx == 0 && cy == 0) ? LR_DEFAULTSIZE : 0;
    return FromIcon(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, cx, cy, flags)));
}

std::vector<uint8_t> StdPicture::Save() const {
    if (!original_.empty()) return original_;
    // Bitmaps and cursors keep our own encoders: under Wine the platform saves a
    // bitmap with a header its own loader refuses, and a cursor as an icon.
    if (bitmap_) return EncodeBmp(bitmap_.Get());
    if (cursor_) return EncodeIco(cursor_.Get());
    if (icon_) return SaveIcon(icon_.Get());
    return {};
}

std::shared_ptr<StdPicture> StdPicture::Load(const std::vector<uint8_t>& bytes) {
    ComPtr<IPicture> decoded = Decode(bytes);
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (!decoded || FAILED(decoded->get_Type(&type)) || FAILED(decoded->get_Handle(&handle)) || !handle)
        return nullptr;
    // Copies in our own owners, so that every picture frees its handle one way.
    const auto shared = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
    std::shared_ptr<StdPicture> picture;
    if (type == PICTYPE_BITMAP)
        picture =
            FromBitmap(static_cast<HBITMAP>(CopyImage(shared, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    else if (type == PICTYPE_ICON)
        picture = FromIcon(CopyIcon(static_cast<HICON>(shared)));
    if (picture) picture->original_ = bytes;
    return picture;
}

}  // namespace rt
