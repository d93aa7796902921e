// Reads the resources back out of the built tessiver.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

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

TEST_F(ExeResources, VersionRecordNamesCompanyAndProduct) {
    std::vector<BYTE> info = Resource(MAKEINTRESOURCEW(1), RT_VERSION);
    ASSERT_FALSE(info.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"Quorvane System"},
        {L"ProductName", L"Quorvane Tessiver"},
        {L"FileDescription", L"Quorvane Tessiver"},
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
    };
    for (const auto& s : strings) {
        wchar_t* text = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
        ASSERT_TRUE(VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << Narrow(query);
        EXPECT_EQ(std::wstring(text), s.value);
    }
}

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

TEST_F(ExeResources, HandCursorHasThreeColourDepths) {
    const std::vector<GroupEntry> entries = Entries(Resource(L"HANDCURSOR", RT_GROUP_CURSOR));
    ASSERT_EQ(entries.size(), 3u);
    std::vector<WORD> depths;
    for (const GroupEntry& e : entries) {
        // Cursor groups store width and doubled height as two words over the first four bytes.
        EXPECT_EQ(e.width | (e.height << 8), 32);
        EXPECT_EQ(e.colours | (e.reserved << 8), 64);
        depths.push_back(e.bitCount);
    }
    EXPECT_EQ(depths, (std::vector<WORD>{1, 4, 32}));
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

// A 24-bit bitmap resource, decoded enough to read pixels.
struct Bitmap24 {
    int width = 0, height = 0;
    std::vector<BYTE> bytes;
    COLORREF At(int x, int y) const {
        const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data());
        const int stride = (width * 3 + 3) & ~3;
        const BYTE* p = bytes.data() + h->biSize + (height - 1 - y) * stride + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
};

TEST_F(ExeResources, SkinPicturesHaveTheirSizesAndRoles) {
    auto load = [this](const wchar_t* name, int width, int height) {
        Bitmap24 b;
        b.bytes = Resource(name, RT_BITMAP);
        EXPECT_GE(b.bytes.size(), sizeof(BITMAPINFOHEADER));
        if (b.bytes.size() < sizeof(BITMAPINFOHEADER)) return b;
        const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(b.bytes.data());
        EXPECT_EQ(h->biWidth, width);
        EXPECT_EQ(h->biHeight, height);
        EXPECT_EQ(h->biBitCount, 24);
        b.width = width;
        b.height = height;
        EXPECT_GE(b.bytes.size(), h->biSize + static_cast<size_t>((width * 3 + 3) & ~3) * height);
        return b;
    };
    const Bitmap24 background = load(L"BACKGROUND", 510, 171);
    ASSERT_EQ(background.width, 510);
    EXPECT_EQ(background.At(250, 100), RGB(211, 211, 211));
    EXPECT_LT(GetGValue(background.At(250, 5)), 100);  // dark title band
    EXPECT_LT(GetGValue(background.At(0, 100)), 100);  // dark edge
    EXPECT_LT(GetGValue(background.At(509, 170)), 100);

    const Bitmap24 normal = load(L"STRIPNORMAL", 69, 20);
    ASSERT_EQ(normal.width, 69);
    // Each lit or pressed picture differs from the normal one only in its own half.
    const struct {
        const wchar_t* name;
        bool minHalf;
    } states[] = {
        {L"STRIPMINH", true}, {L"STRIPMIND", true}, {L"STRIPCLOSEH", false}, {L"STRIPCLOSED", false}};
    for (const auto& s : states) {
        SCOPED_TRACE(Narrow(s.name));
        const Bitmap24 b = load(s.name, 69, 20);
        ASSERT_EQ(b.width, 69);
        int changedMin = 0, changedClose = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 69; ++x)
                if (b.At(x, y) != normal.At(x, y)) ++(x <= 25 ? changedMin : changedClose);
        EXPECT_EQ(changedMin > 0, s.minHalf);
        EXPECT_EQ(changedClose > 0, !s.minHalf);
    }
}

}  // namespace
