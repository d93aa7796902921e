#include "runtime/picture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "pictures.h"
#include "runtime/gdi.h"

namespace {

using testkit::PatternBitmap;

// The bitmap's pixels as 32-bit values, alpha cleared.
std::vector<uint32_t> Pixels(HBITMAP bitmap) {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> out(static_cast<size_t>(bm.bmWidth * bm.bmHeight));
    rt::gdi::ClientDC screen(nullptr);
    GetDIBits(screen.Get(), bitmap, 0, bm.bmHeight, out.data(), &bi, DIB_RGB_COLORS);
    for (auto& px : out) px &= 0xFFFFFF;
    return out;
}

HICON PatternIcon(bool icon) {
    rt::gdi::Bitmap color(PatternBitmap(16, 16, 32));
    rt::gdi::Bitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
    ICONINFO info{icon ? TRUE : FALSE, 3, 5, mask.Get(), color.Get()};
    return CreateIconIndirect(&info);
}

std::vector<uint32_t> IconPixels(const rt::StdPicture& picture) {
    ICONINFO info{};
    if (!GetIconInfo(picture.Icon(), &info)) return {};
    rt::gdi::Bitmap color(info.hbmColor), mask(info.hbmMask);
    return Pixels(color.Get());
}

TEST(StdPicture, SizesAreHimetricRoundedHalfToEven) {
    struct Case {
        int w, h;
        long himetricW, himetricH;
    };
    // 36 px is exactly 952.5 HIMETRIC at 96 DPI: the tie goes to the even 952.
    const Case cases[] = {{16, 16, 423, 423}, {73, 25, 1931, 661}, {69, 20, 1826, 529}, {36, 12, 952, 318}};
    for (const Case& c : cases) {
        auto picture = rt::StdPicture::FromBitmap(PatternBitmap(c.w, c.h, 24));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->Type(), rt::PictureType::Bitmap);
        EXPECT_EQ(picture->PixelWidth(), c.w);
        EXPECT_EQ(picture->Width(), c.himetricW);
        EXPECT_EQ(picture->Height(), c.himetricH);
    }
    auto icon = rt::StdPicture::FromIcon(PatternIcon(true));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Type(), rt::PictureType::Icon);
    EXPECT_EQ(icon->Width(), 423);
    EXPECT_EQ(icon->Height(), 423);
}

TEST(StdPicture, BitmapPixelsSurviveSaveAndLoad) {
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        auto picture = rt::StdPicture::FromBitmap(PatternBitmap(5, 3, bpp));  // 5 px: padded rows at 24 bits
        ASSERT_TRUE(picture);
        const std::vector<uint8_t> bytes = picture->Save();
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        auto loaded = rt::StdPicture::Load(bytes);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->Type(), rt::PictureType::Bitmap);
        EXPECT_EQ(loaded->PixelWidth(), 5);
        EXPECT_EQ(loaded->PixelHeight(), 3);
        EXPECT_EQ(Pixels(loaded->Bitmap()), Pixels(picture->Bitmap()));
        EXPECT_EQ(loaded->Save(), bytes);  // a loaded picture saves its own bytes again
    }
}

TEST(StdPicture, IconsAndCursorsSurviveSaveLoadAndFiles) {
    for (bool isIcon : {true, false}) {
        SCOPED_TRACE(isIcon);
        auto picture = rt::StdPicture::FromIcon(PatternIcon(isIcon));
        ASSERT_TRUE(picture);
        const std::vector<uint8_t> bytes = picture->Save();
        ASSERT_GT(bytes.size(), 22u);
        EXPECT_EQ(bytes[2], isIcon ? 1 : 2);  // .ico or .cur

        wchar_t dir[MAX_PATH], path[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"pic", 0, path);
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        auto loaded = rt::StdPicture::FromFile(path);
        DeleteFileW(path);

        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->Type(), rt::PictureType::Icon);
        EXPECT_EQ(loaded->PixelWidth(), 16);
        EXPECT_EQ(loaded->PixelHeight(), 16);
        EXPECT_EQ(IconPixels(*loaded), IconPixels(*picture));
        EXPECT_EQ(loaded->Save(), bytes);
        if (!isIcon) {  // a cursor comes back as a cursor, with its hotspot
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(loaded->Icon(), &info));
            rt::gdi::Bitmap color(info.hbmColor), mask(info.hbmMask);
            EXPECT_FALSE(info.fIcon);
            EXPECT_EQ(info.xHotspot, 3u);
            EXPECT_EQ(info.yHotspot, 5u);
        }
    }
    EXPECT_FALSE(rt::StdPicture::FromFile(L"C:\\no\\such\\picture.bmp"));
}

TEST(StdPicture, SystemResourcesLoad) {
    auto icon = rt::StdPicture::FromIconResource(nullptr, MAKEINTRESOURCEW(32512), 32, 32);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Type(), rt::PictureType::Icon);
    EXPECT_EQ(icon->PixelWidth(), 32);
    EXPECT_FALSE(rt::StdPicture::FromBitmapResource(GetModuleHandleW(nullptr), L"NOSUCHBITMAP"));
}

TEST(StdPicture, MalformedBytesAreRefused) {
    const std::vector<uint8_t> good = rt::StdPicture::FromBitmap(PatternBitmap(4, 4, 24))->Save();
    const std::vector<uint8_t> goodIcon = rt::StdPicture::FromIcon(PatternIcon(true))->Save();
    auto patch = [](std::vector<uint8_t> b, size_t at, uint32_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return b;
    };
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {'B', 'M'},
        std::vector<uint8_t>(good.begin(), good.end() - 1),  // pixels cut short
        patch(good, 18, 0, 4),                                // width 0
        patch(good, 18, 0x7FFFFFFF, 4),                       // absurd width
        patch(good, 10, 0xFFFFFF00, 4),                       // bits offset past the end
        patch(good, 28, 7, 2),                                // 7 bits per pixel
        patch(good, 30, 1, 4),                                // RLE8 claimed on a 24-bit image
        patch(goodIcon, 4, 0, 2),                             // no images
        patch(goodIcon, 18, 0x10000, 4),                      // image offset past the end
        patch(goodIcon, 14, 0xFFFF, 4),                       // image longer than the file
        std::vector<uint8_t>(goodIcon.begin(), goodIcon.end() - 8),
        {0, 0, 1, 0, 1, 0, 'g', 'a', 'r', 'b', 'a', 'g', 'e'},
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(rt::StdPicture::Load(bad[i]));
    }
}

}  // namespace
