// Reads the resources back out of the built tessiver.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "skin.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring ExePath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + TESSIVER_EXE_FROM_TEST;
}

class ExeResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(ExePath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "cannot load " << Narrow(ExePath());
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    std::vector<BYTE> Resource(const wchar_t* name, const wchar_t* type) const {
        HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        return data ? std::vector<BYTE>(data, data + SizeofResource(module_, found)) : std::vector<BYTE>{};
    }

    static BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) {
        auto* list = reinterpret_cast<std::vector<std::wstring>*>(out);
        list->push_back(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(name))
                                             : std::wstring(name));
        return TRUE;
    }
    std::vector<std::wstring> Names(const wchar_t* type) const {
        std::vector<std::wstring> names;
        EnumResourceNamesW(module_, type, &AddName, reinterpret_cast<LONG_PTR>(&names));
        return names;
    }

    HMODULE module_ = nullptr;
};

TEST_F(ExeResources, ManifestAsksForAdministratorAndCommonControls6) {
    // Exactly one manifest: a second one (a default added by the linker) would be ambiguous.
    EXPECT_EQ(Names(RT_MANIFEST), std::vector<std::wstring>{L"#1"});
    std::vector<BYTE> bytes = Resource(MAKEINTRESOURCEW(1), RT_MANIFEST);
    const std::string text(bytes.begin(), bytes.end());
    for (
        const char* expected : {
            R"(<assemblyIdentity name="Quorvane.System.Vexo" version="1.0.0.0" processorArchitecture="X86" type="win32"/>)",
            "<description>Tessiver</description>",
            R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="X86" publicKeyToken="6595b64144ccf1df" language="*")",
            R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)",
        }) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
}

#pragma pack(push, 2)
struct GroupEntry {  // one image of an icon or cursor group
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

std::vector<GroupEntry> Entries(const std::vector<BYTE>& group) {
    if (group.size() < sizeof(GroupHeader)) return {};
    const auto* header = reinterpret_cast<const GroupHeader*>(group.data());
    const auto* first = reinterpret_cast<const GroupEntry*>(group.data() + sizeof(GroupHeader));
    if (group.size() < sizeof(GroupHeader) + header->count * sizeof(GroupEntry)) return {};
    return std::vector<GroupEntry>(first, first + header->count);
}

TEST_F(ExeResources, TwoIdenticalIconGroupsOfNineImages) {
    EXPECT_EQ(Names(RT_GROUP_ICON).size(), 2u);
    const struct {
        int size, bits;
    } expected[] = {{64, 8}, {48, 8}, {32, 8}, {24, 8}, {128, 32}, {64, 32}, {48, 32}, {32, 32}, {24, 32}};
    std::vector<std::vector<BYTE>> images[2];
    int group = 0;
    for (const wchar_t* name : {L"MAINICON", L"APPICON"}) {
        SCOPED_TRACE(Narrow(name));
        const std::vector<GroupEntry> entries = Entries(Resource(name, RT_GROUP_ICON));
        ASSERT_EQ(entries.size(), 9u);
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].width, expected[i].size);
            EXPECT_EQ(entries[i].height, expected[i].size);
            EXPECT_EQ(entries[i].bitCount, expected[i].bits);
            images[group].push_back(Resource(MAKEINTRESOURCEW(entries[i].id), RT_ICON));
            EXPECT_EQ(images[group].back().size(), entries[i].bytes);
        }
        ++group;
    }
    EXPECT_EQ(images[0], images[1]);
}

TEST_F(ExeResources, HandCursorHasThreeColourDepthsAndLargerSizes) {
    const std::vector<GroupEntry> entries = Entries(Resource(L"HANDCURSOR", RT_GROUP_CURSOR));
    ASSERT_EQ(entries.size(), 7u);
    std::vector<std::pair<int, WORD>> images;
    for (const GroupEntry& e : entries) {
        // Cursor groups store width and doubled height as two words over the first four bytes.
        const int width = e.width | (e.height << 8);
        EXPECT_EQ(e.colours | (e.reserved << 8), 2 * width);
        images.emplace_back(width, e.bitCount);
    }
    // 32 pixels in three depths; in colour at the cursor sizes of 120 to 192 DPI.
    EXPECT_EQ(images, (std::vector<std::pair<int, WORD>>{
                          {32, 1}, {32, 4}, {32, 32}, {40, 32}, {48, 32}, {56, 32}, {64, 32}}));
}

TEST(LinkedResources, HandCursorLoadsInColourWithItsHotSpot) {
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageW(GetModuleHandleW(nullptr), L"HANDCURSOR", IMAGE_CURSOR, 32, 32, LR_SHARED));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 6u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_NE(info.hbmColor, nullptr);  // a colour image was chosen, not the monochrome one
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

// A 24-bit .bmp file, decoded enough to read pixels.
struct Bitmap24 {
    int width = 0, height = 0;
    std::vector<BYTE> bytes;
    COLORREF At(int x, int y) const {
        const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data() + sizeof(BITMAPFILEHEADER));
        const int stride = (width * 3 + 3) & ~3;
        const BYTE* p =
            bytes.data() + sizeof(BITMAPFILEHEADER) + h->biSize + (height - 1 - y) * stride + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
};

Bitmap24 ReadBmp(const std::wstring& name) {
    Bitmap24 b;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + ART96_FROM_TEST + L"/" + name;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return b;
    b.bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, b.bytes.data(), static_cast<DWORD>(b.bytes.size()), &read, nullptr);
    CloseHandle(file);
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(b.bytes.data() + sizeof(BITMAPFILEHEADER));
    if (read < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || h->biBitCount != 24) return b;
    b.width = h->biWidth;
    b.height = h->biHeight;
    return b;
}

// How many pixels of the canvas differ from the picture, over the picture's size.
int Differences(const skin::Canvas& drawn, const Bitmap24& picture) {
    int differ = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) differ += drawn.At(x, y) != picture.At(x, y);
    return differ;
}

TEST(SkinArt, At96DpiEveryPixelIsTheOriginalArt) {
    const Bitmap24 background = ReadBmp(L"background.bmp");
    ASSERT_EQ(background.width, 510);
    ASSERT_EQ(background.height, 171);
    // A client area exactly the picture's size, and a taller one the art goes on to fill.
    for (SIZE client : {SIZE{510, 171}, SIZE{511, 178}}) {
        const skin::Canvas drawn = skin::DrawBackground(96, client);
        EXPECT_EQ(drawn.Width, client.cx);
        EXPECT_EQ(drawn.Height, client.cy);
        EXPECT_EQ(Differences(drawn, background), 0) << client.cx << " x " << client.cy;
    }
    EXPECT_EQ(skin::DrawBackground(96, SIZE{511, 178}).At(250, 177), RGB(211, 211, 211));  // the body goes on
    using skin::Look;
    const struct {
        const wchar_t* file;
        Look minimise, close;
    } strips[] = {
        {L"strip_normal.bmp", Look::Rest, Look::Rest}, {L"strip_minh.bmp", Look::Hot, Look::Rest},
        {L"strip_mind.bmp", Look::Down, Look::Rest},   {L"strip_closeh.bmp", Look::Rest, Look::Hot},
        {L"strip_closed.bmp", Look::Rest, Look::Down},
    };
    for (const auto& s : strips) {
        SCOPED_TRACE(Narrow(s.file));
        const Bitmap24 original = ReadBmp(s.file);
        ASSERT_EQ(original.width, 69);
        ASSERT_EQ(original.height, 20);
        const skin::Canvas drawn = skin::DrawStrip(s.minimise, s.close, 96);
        EXPECT_EQ(drawn.Width, 69);
        EXPECT_EQ(drawn.Height, 20);
        EXPECT_EQ(Differences(drawn, original), 0);
    }
}

TEST(SkinArt, AtEveryScaleTheArtKeepsItsSizesAndRoles) {
    using skin::Look;
    for (int dpi : {96, 120, 144, 168, 192}) {
        SCOPED_TRACE(dpi);
        const double scale = dpi / 96.0;
        const skin::Canvas background = skin::DrawBackground(dpi, SIZE{0, 0});
        EXPECT_EQ(background.Width, std::lrint(510 * scale));
        EXPECT_EQ(background.Height, std::lrint(171 * scale));
        EXPECT_LT(GetGValue(background.At(background.Width / 2, std::lrint(5 * scale))),
                  100);  // dark title band
        EXPECT_EQ(background.At(background.Width / 2, background.Height / 2), RGB(211, 211, 211));
        EXPECT_LT(GetGValue(background.At(0, background.Height / 2)), 100);  // dark edges
        EXPECT_LT(GetGValue(background.At(background.Width - 1, background.Height - 1)), 100);

        const skin::Canvas normal = skin::DrawStrip(Look::Rest, Look::Rest, dpi);
        EXPECT_EQ(normal.Width, std::lrint(69 * scale));
        EXPECT_EQ(normal.Height, std::lrint(20 * scale));
        const int split = std::lrint(skin::kMinimiseColumns * scale);
        // Each lit or pressed picture differs from the normal one only in its own half.
        const struct {
            Look minimise, close;
        } looks[] = {{Look::Hot, Look::Rest},
                     {Look::Down, Look::Rest},
                     {Look::Rest, Look::Hot},
                     {Look::Rest, Look::Down}};
        for (const auto& l : looks) {
            const skin::Canvas b = skin::DrawStrip(l.minimise, l.close, dpi);
            int changedMin = 0, changedClose = 0;
            for (int y = 0; y < b.Height; ++y)
                for (int x = 0; x < b.Width; ++x)
                    if (b.At(x, y) != normal.At(x, y)) ++(x < split ? changedMin : changedClose);
            EXPECT_EQ(changedMin > 0, l.close == Look::Rest);
            EXPECT_EQ(changedClose > 0, l.minimise == Look::Rest);
        }
    }
}

}  // namespace
