// The registration file's names in either view, and what the manifest and
// the installer fragment read back from it.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <string>
#include <vector>

#include "export/manifest.h"
#include "export/regcapture.h"
#include "export/wixfragment.h"
#include "preview/regfile.h"

namespace {

std::vector<uint8_t> Bytes(const std::wstring& s) {
    const auto* p = reinterpret_cast<const uint8_t*>(s.c_str());
    return {p, p + (s.size() + 1) * sizeof(wchar_t)};
}

TEST(RegFile, The32BitViewIsNamedAsThe64BitEditorFindsIt) {
    const struct {
        const wchar_t* name;
        const wchar_t* viewed;
    } rows[] = {
        {L"HKEY_CLASSES_ROOT\\CLSID\\{x}\\InprocServer32",
         L"HKEY_CLASSES_ROOT\\WOW6432Node\\CLSID\\{x}\\InprocServer32"},
        {L"HKEY_CLASSES_ROOT\\interface\\{i}", L"HKEY_CLASSES_ROOT\\WOW6432Node\\interface\\{i}"},
        {L"HKEY_CLASSES_ROOT\\TypeLib\\{l}\\1.0", L"HKEY_CLASSES_ROOT\\TypeLib\\{l}\\1.0"},
        {L"HKEY_CLASSES_ROOT\\AppID\\{a}", L"HKEY_CLASSES_ROOT\\AppID\\{a}"},
        {L"HKEY_CLASSES_ROOT\\Maker.Class.1", L"HKEY_CLASSES_ROOT\\Maker.Class.1"},
        {L"HKEY_CLASSES_ROOT\\CLSIDs", L"HKEY_CLASSES_ROOT\\CLSIDs"},
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{x}",
         L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\WOW6432Node\\CLSID\\{x}"},
        {L"HKEY_LOCAL_MACHINE\\Software\\Maker", L"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Maker"},
        {L"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Maker",
         L"HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Maker"},
        {L"HKEY_CURRENT_USER\\Software\\Maker", L"HKEY_CURRENT_USER\\Software\\Maker"},
        {L"HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{x}",
         L"HKEY_CURRENT_USER\\Software\\Classes\\WOW6432Node\\CLSID\\{x}"},
    };
    for (const auto& row : rows) EXPECT_EQ(services::Wow32ViewName(row.name), row.viewed) << row.name;
}

// Written, then read back as the manifest and the fragment read a capture:
// the very value, or, for a name no escape carries, nothing and a comment.
TEST(RegFile, ValuesComeBackFromTheTextWholeOrAreLeftOutWithAComment) {
    const struct {
        services::RegValue value;
        bool carried;
    } rows[] = {
        {{L"", REG_SZ, Bytes(L"C:\\a \"b\"")}, true},
        {{L"two\r\nlines\r\n[HKEY_CURRENT_USER\\Injected]", REG_SZ, Bytes(L"x")}, true},
        {{L"a\\\"b\"", REG_SZ, Bytes(L"two\r\nlines")}, true},
        {{L"tab\there", REG_DWORD, {1, 2, 3, 0x80}}, true},
        {{L"e", REG_EXPAND_SZ, Bytes(L"%SystemRoot%")}, true},
        {{L"m", REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0}}, true},
        {{L"b", REG_BINARY, {}}, true},
        {{L"bell\a", REG_SZ, Bytes(L"x")}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.value.Name));
        services::RegDiff diff;
        diff.Written.push_back({L"k", {row.value}, false, L""});
        const std::wstring text =
            services::RegFileText(diff, [](const std::wstring& p) { return L"HKEY_CLASSES_ROOT\\" + p; });
        EXPECT_EQ(text.find(L"\n["), text.rfind(L"\n[")) << testing::PrintToString(text);
        const std::vector<services::CapturedKey> keys = services::ReadCapture(text);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].Name, L"HKEY_CLASSES_ROOT\\k");
        if (row.carried) {
            ASSERT_EQ(keys[0].Values.size(), 1u) << testing::PrintToString(text);
            EXPECT_EQ(keys[0].Values[0], row.value);
        } else {
            EXPECT_TRUE(keys[0].Values.empty());
            EXPECT_NE(text.find(L"; left out: the value \"bell\\x07\""), std::wstring::npos);
        }
    }
}

TEST(RegFile, AKeyNameWithALineEndIsLeftOutAndWOW6432NodeIsReadAway) {
    services::RegDiff diff;
    diff.Written.push_back({L"a\nb", {{L"", REG_SZ, Bytes(L"x")}}, false, L""});
    const std::wstring text =
        services::RegFileText(diff, [](const std::wstring& p) { return L"HKEY_CLASSES_ROOT\\" + p; });
    EXPECT_TRUE(services::ReadCapture(text).empty()) << testing::PrintToString(text);
    const auto keys = services::ReadCapture(
        L"[HKEY_CLASSES_ROOT\\WOW6432Node\\CLSID\\{x}]\r\n"
        L"[HKEY_LOCAL_MACHINE\\Software\\Classes\\WOW6432Node\\Interface\\{i}]\r\n"
        L"[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Maker]\r\n[-HKEY_USERS\\gone]\r\n");
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].Name, L"HKEY_CLASSES_ROOT\\CLSID\\{x}");
    EXPECT_EQ(keys[1].Name, L"HKEY_CLASSES_ROOT\\Interface\\{i}");
    EXPECT_EQ(keys[2].Name, L"HKEY_LOCAL_MACHINE\\Software\\Maker");
}

TEST(Manifest, EachClassOnceInItsOwnFileWithItsProgIdsAndFlags) {
    services::ComRegistration r;
    r.Classes = {{L"{X}", L"x", L"C:\\Apps\\A.DLL", L"Both", L"P.1", L"P", L"{L}", L"1", {{4, L"2"}}},
                 {L"{Y}", L"y", L"oleaut32.dll", L"", L"", L"", L"", L"", {}}};
    r.TypeLibs = {{L"{L}", L"1.0", L"C:\\Apps", 0xA}};
    r.ProgIds = {{L"P.1", L"{X}"}, {L"P", L"{X}"}, {L"Q", L"{X}"}};
    const std::wstring text = services::ManifestText({L"a", L"1.0.0.0", true}, {{L"a.dll", r}});
    const struct {
        const wchar_t* part;
        bool present;
    } rows[] = {
        {L"processorArchitecture=\"amd64\"", true},
        {L"<comClass clsid=\"{X}\" threadingModel=\"Both\" progid=\"P.1\" description=\"x\" tlbid=\"{L}\" "
         L"miscStatus=\"recomposeonresize\" miscStatusIcon=\"onlyiconic\">",
         true},
        {L"<progid>P</progid>", true},
        {L"<progid>Q</progid>", true},
        {L"<typelib tlbid=\"{L}\" version=\"1.0\" helpdir=\"\" flags=\"control,hasdiskimage\"/>", true},
        {L"Class {Y} is registered for oleaut32.dll, not this file", true},
        {L"clsid=\"{Y}\"", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(text.find(row.part) != std::wstring::npos, row.present)
            << testing::PrintToString(row.part) << testing::PrintToString(text);
}

TEST(WixFragment, TheInstalledPathReplacesTheServersOwnAndIdsStayTheSame) {
    const services::WixServer server{
        L"a b.ocx",
        L"C:\\Src\\a b.ocx",
        false,
        {{L"HKEY_CLASSES_ROOT\\CLSID\\{x}\\InprocServer32",
          {{L"", REG_SZ, Bytes(L"c:\\src\\A B.OCX")}, {L"t", REG_SZ, Bytes(L"[1]")}}},
         {L"HKEY_CLASSES_ROOT\\TypeLib\\{l}\\1.0\\HELPDIR", {{L"", REG_SZ, Bytes(L"\\\\?\\C:\\Src")}}}}};
    const std::wstring text = services::WixFragmentText({server});
    for (const wchar_t* part : {L"Id=\"fil_a_b.ocx\"", L"Value=\"[#fil_a_b.ocx]\"", L"Value=\"[\\[]1[\\]]\"",
                                L"Value=\"\\\\?\\[INSTALLFOLDER]\"", L"<ComponentRef Id=\"cmp_a_b.ocx\"/>"})
        EXPECT_NE(text.find(part), std::wstring::npos)
            << testing::PrintToString(part) << testing::PrintToString(text);
    EXPECT_EQ(text.find(L"Win64"), std::wstring::npos);
    EXPECT_EQ(services::NameGuid(L"A B.OCX"), services::NameGuid(L"a b.ocx"));
    EXPECT_NE(services::NameGuid(L"a b.ocx"), services::NameGuid(L"a c.ocx"));
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(services::NameGuid(L"x.dll").c_str(), &parsed), S_OK);
}

}  // namespace
