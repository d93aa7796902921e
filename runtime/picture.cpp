#include "picture.h"

#include <cstring>

#include "gdi.h"
#include "units.h"

namespace rt {
namespace {

// Refuse pictures larger than this many pixels: persisted bytes may come from
// edited text, and a forged header must not make us allocate gigabytes.
constexpr long long kMaxPixels = 16LL * 1024 * 1024;

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

class OwnedFile {
public:
    explicit OwnedFile(HANDLE h) : h_(h) {}
    ~OwnedFile() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
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

long long Stride(long long width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

bool ValidBitCount(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// A BITMAPINFO with room for a full colour table (or the three bit-field masks).
struct DibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colors[256]{};
    BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

int ColorTableEntries(const BITMAPINFOHEADER& h) {
    if (h.biClrUsed) return static_cast<int>(h.biClrUsed);
    return h.biBitCount <= 8 ? 1 << h.biBitCount : 0;
}

// --- .bmp -------------------------------------------------------------------

HBITMAP DecodeBmp(const std::vector<uint8_t>& b) {
    const size_t size = b.size();
    if (size < 14 + 40 || b[0] != 'B' || b[1] != 'M') return nullptr;
    const uint32_t offBits = U32(&b[10]);
    const uint32_t headerSize = U32(&b[14]);
    if (headerSize < 40 || headerSize > size - 14 || offBits > size || offBits < 14 + headerSize) return nullptr;

    DibInfo info;
    std::memcpy(&info.header, &b[14], 40);
    BITMAPINFOHEADER& h = info.header;
    h.biSize = 40;
    const long long width = h.biWidth;
    const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels || h.biPlanes != 1 || !ValidBitCount(h.biBitCount))
        return nullptr;

    const DWORD compression = h.biCompression;
    const bool rle = (compression == BI_RLE8 && h.biBitCount == 8) || (compression == BI_RLE4 && h.biBitCount == 4);
    const bool fields = compression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32);
    if (!(compression == BI_RGB || rle || fields)) return nullptr;
    if (rle && h.biHeight < 0) return nullptr;  // compressed bitmaps are bottom-up only

    // Bit-field masks follow a 40-byte header; larger headers carry them at the same place.
    size_t tableAt = 14 + headerSize;
    if (fields) {
        if (14 + 40 + 12 > size) return nullptr;
        std::memcpy(info.colors, &b[14 + 40], 12);
        if (headerSize == 40) tableAt += 12;
    }
    const int entries = ColorTableEntries(h);
    if (entries < 0 || entries > 256 || (h.biBitCount > 8 && entries > 0 && fields)) return nullptr;
    if (!fields && entries > 0) {
        if (tableAt + static_cast<size_t>(entries) * 4 > offBits) return nullptr;
        std::memcpy(info.colors, &b[tableAt], static_cast<size_t>(entries) * 4);
    }

    const size_t available = size - offBits;
    const long long stride = Stride(width, h.biBitCount);
    if (!rle && static_cast<unsigned long long>(stride * height) > available) return nullptr;

    DibInfo target = info;
    target.header.biCompression = fields ? BI_BITFIELDS : BI_RGB;
    target.header.biSizeImage = 0;
    void* bits = nullptr;
    gdi::Bitmap dib(CreateDIBSection(nullptr, target.Get(), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib.Get() || !bits) return nullptr;
    if (rle) {
        h.biSizeImage = static_cast<DWORD>(available);
        gdi::ClientDC screen(nullptr);
        if (SetDIBits(screen.Get(), dib.Get(), 0, static_cast<UINT>(height), &b[offBits], info.Get(),
                      DIB_RGB_COLORS) == 0)
            return nullptr;
    } else {
        std::memcpy(bits, &b[offBits], static_cast<size_t>(stride * height));
    }
    return dib.Release();
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
    if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), bits.data(), info.Get(), DIB_RGB_COLORS) == 0)
        return false;
    info.header.biSizeImage = static_cast<DWORD>(bits.size());
    if (bitCount <= 8) info.header.biClrUsed = static_cast<DWORD>(1 << bitCount);
    return true;
}

std::vector<uint8_t> EncodeBmp(HBITMAP bitmap) {
    BITMAP bm{};
    if (!GetObjectW(bitmap, sizeof bm, &bm)) return {};
    const int bpp = bm.bmBitsPixel <= 8 ? (bm.bmBitsPixel <= 1 ? 1 : bm.bmBitsPixel <= 4 ? 4 : 8)
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

struct IconEntry {
    int width;
    int bitCount;
    uint16_t hotX, hotY;
    size_t offset, bytes;
};

// Checks that an entry's image is a well-formed DIB (or a PNG, which the
// system decodes itself) before the system parses it.
bool ValidIconImage(const uint8_t* p, size_t bytes, int& width, int& bitCount) {
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes >= 8 && std::memcmp(p, png, 8) == 0) return bytes > 8 + 25;
    if (bytes < 40) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, p, 40);
    if (h.biSize < 40 || h.biSize > bytes) return false;
    const long long w = h.biWidth;
    const long long h2 = h.biHeight;
    if (w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || (h2 % 2) != 0 || h.biPlanes != 1 ||
        !ValidBitCount(h.biBitCount) || h.biCompression != BI_RGB)
        return false;
    const int entries = ColorTableEntries(h);
    if (entries < 0 || entries > 256) return false;
    const long long rows = h2 / 2;
    const long long need = h.biSize + entries * 4LL + Stride(w, h.biBitCount) * rows + Stride(w, 1) * rows;
    if (need > static_cast<long long>(bytes)) return false;
    width = static_cast<int>(w);
    bitCount = h.biBitCount;
    return true;
}

HICON DecodeIco(const std::vector<uint8_t>& b, bool& cursor) {
    const size_t size = b.size();
    if (size < 6 || U16(&b[0]) != 0) return nullptr;
    const uint16_t type = U16(&b[2]);
    const uint16_t count = U16(&b[4]);
    if ((type != 1 && type != 2) || count == 0 || 6 + 16 * static_cast<size_t>(count) > size) return nullptr;
    cursor = type == 2;

    std::vector<IconEntry> entries;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &b[6 + 16 * i];
        IconEntry entry{0, 0, U16(e + 4), U16(e + 6), U32(e + 12), U32(e + 8)};
        if (entry.offset > size || entry.bytes > size - entry.offset) return nullptr;
        if (!ValidIconImage(&b[entry.offset], entry.bytes, entry.width, entry.bitCount)) return nullptr;
        if (entry.width == 0) entry.width = e[0] ? e[0] : 256;  // PNG: the directory's size
        entries.push_back(entry);
    }
    // The system's standard size at the deepest colour, else the largest image.
    const int wanted = GetSystemMetrics(cursor ? SM_CXCURSOR : SM_CXICON);
    const IconEntry* best = nullptr;
    for (const IconEntry& e : entries) {
        if (!best) {
            best = &e;
            continue;
        }
        const bool eFits = e.width == wanted, bestFits = best->width == wanted;
        if (eFits != bestFits) {
            if (eFits) best = &e;
        } else if (eFits ? e.bitCount > best->bitCount
                         : (e.width > best->width || (e.width == best->width && e.bitCount > best->bitCount))) {
            best = &e;
        }
    }

    std::vector<uint8_t> data;
    if (cursor) {  // a cursor resource begins with its hotspot
        Put16(data, best->hotX);
        Put16(data, best->hotY);
    }
    data.insert(data.end(), b.begin() + static_cast<std::ptrdiff_t>(best->offset),
                b.begin() + static_cast<std::ptrdiff_t>(best->offset + best->bytes));
    return CreateIconFromResourceEx(data.data(), static_cast<DWORD>(data.size()), cursor ? FALSE : TRUE, 0x00030000,
                                    0, 0, LR_DEFAULTCOLOR);
}

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
    OwnedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64LL * 1024 * 1024) return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return out.empty() || (ReadFile(file.Get(), out.data(), static_cast<DWORD>(out.size()), &read, nullptr) &&
                           read == out.size());
}

}  // namespace

StdPicture::StdPicture(PictureType type, HANDLE handle, int pixelWidth, int pixelHeight)
    : type_(type),
      handle_(handle),
      pixelWidth_(pixelWidth),
      pixelHeight_(pixelHeight),
      widthHimetric_(RoundHalfEven(PixelsToHimetricX(pixelWidth))),
      heightHimetric_(RoundHalfEven(PixelsToHimetricY(pixelHeight))) {}

StdPicture::~StdPicture() {
    if (!handle_) return;
    if (type_ == PictureType::Bitmap)
        DeleteObject(handle_);
    else if (cursor_)
        DestroyCursor(static_cast<HCURSOR>(handle_));
    else
        DestroyIcon(static_cast<HICON>(handle_));
}

std::shared_ptr<StdPicture> StdPicture::FromBitmap(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return nullptr;
    return std::shared_ptr<StdPicture>(new StdPicture(PictureType::Bitmap, bitmap, bm.bmWidth, bm.bmHeight));
}

std::shared_ptr<StdPicture> StdPicture::FromIconHandle(HICON icon, bool cursor) {
    if (!icon) return nullptr;
    IconBitmaps parts(icon);
    BITMAP bm{};
    if (!parts.mask.Get() || !GetObjectW(parts.mask.Get(), sizeof bm, &bm)) return nullptr;
    // Without a colour bitmap the mask is twice the icon's height (AND over XOR).
    const int height = parts.color.Get() ? bm.bmHeight : bm.bmHeight / 2;
    auto picture = std::shared_ptr<StdPicture>(new StdPicture(PictureType::Icon, icon, bm.bmWidth, height));
    picture->cursor_ = cursor;
    return picture;
}

std::shared_ptr<StdPicture> StdPicture::FromIcon(HICON icon) { return FromIconHandle(icon, false); }

std::shared_ptr<StdPicture> StdPicture::FromFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) return nullptr;
    return Load(bytes);
}

std::shared_ptr<StdPicture> StdPicture::FromBitmapResource(HINSTANCE module, const wchar_t* name) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    auto picture = FromBitmap(bitmap);
    if (!picture && bitmap) DeleteObject(bitmap);
    return picture;
}

std::shared_ptr<StdPicture> StdPicture::FromIconResource(HINSTANCE module, const wchar_t* name, int cx, int cy) {
    const UINT flags = (cx == 0 && cy == 0) ? LR_DEFAULTSIZE : 0;
    auto icon = static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, cx, cy, flags));
    auto picture = FromIcon(icon);
    if (!picture && icon) DestroyIcon(icon);
    return picture;
}

std::vector<uint8_t> StdPicture::Save() const {
    if (!original_.empty()) return original_;
    if (type_ == PictureType::Bitmap) return EncodeBmp(static_cast<HBITMAP>(handle_));
    if (type_ == PictureType::Icon) return EncodeIco(static_cast<HICON>(handle_));
    return {};
}

std::shared_ptr<StdPicture> StdPicture::Load(const std::vector<uint8_t>& bytes) {
    std::shared_ptr<StdPicture> picture;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        HBITMAP bitmap = DecodeBmp(bytes);
        picture = FromBitmap(bitmap);
        if (!picture && bitmap) DeleteObject(bitmap);
    } else {
        bool cursor = false;
        HICON icon = DecodeIco(bytes, cursor);
        picture = FromIconHandle(icon, cursor);
        if (!picture && icon) {
            if (cursor)
                DestroyCursor(icon);
            else
                DestroyIcon(icon);
        }
    }
    if (picture) picture->original_ = bytes;
    return picture;
}

}  // namespace rt
