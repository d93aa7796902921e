// A 32-bit server's preview taken by the 64-bit registry editor: it imports
// into the 32-bit view, as registering the server writes there, and a value
// name with line ends comes back as that name, never as a key of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "driver.h"
#include "exportservers.h"
#include "regtools.h"

using namespace e2e;

namespace {

std::optional<std::wstring> Read(const std::wstring& key, const wchar_t* name, REGSAM view) {
    return testkit::ReadRegString(HKEY_CLASSES_ROOT, key, name, view);
}

// The registration file imported by the 64-bit registry editor; its exit code.
DWORD ImportWith64BitEditor(const std::wstring& text) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return testkit::ImportRegText(text, std::wstring(temp) + L"tessiver-preview64.reg",
                                  L"C:\\windows\\sysnative\\reg.exe");
}

TEST(RegFile64, A32BitPreviewImportsIntoThe32BitViewAsRegisteringWrites) {
    const std::wstring server = Quoted(ServerPath(L"export\\dualserver.dll"));
    const struct {
        std::wstring key;
        const wchar_t* name;
    } values[] = {
        {L"CLSID\\" TESSIVER_DUAL_A L"\\InprocServer32", nullptr},
        {L"CLSID\\" TESSIVER_DUAL_A L"\\InprocServer32", L"ThreadingModel"},
        {L"CLSID\\" TESSIVER_DUAL_B L"\\ProgID", nullptr},
        {L"Tessiver.DualA\\CurVer", nullptr},
        {L"TypeLib\\" TESSIVER_DUAL_LIB L"\\1.0\\0\\win32", nullptr},
        {L"Interface\\" TESSIVER_DUAL_IID L"\\ProxyStubClsid32", nullptr},
    };
    RunCommand(L"/u /s " + server);
    const CommandResult preview = RunCommand(L"/s /preview " + server, L"", true);
    ASSERT_EQ(preview.exitCode, 0u);
    ASSERT_EQ(ImportWith64BitEditor(preview.output), 0u) << testing::PrintToString(preview.output);
    std::vector<std::optional<std::wstring>> imported;
    for (const auto& v : values) imported.push_back(Read(v.key, v.name, KEY_WOW64_32KEY));
    EXPECT_EQ(Read(values[0].key, nullptr, KEY_WOW64_64KEY), std::nullopt);
    RunCommand(L"/u /s " + server);
    EXPECT_EQ(Read(values[0].key, nullptr, KEY_WOW64_32KEY), std::nullopt);
    ASSERT_EQ(RunCommand(L"/s " + server).exitCode, 0u);
    for (size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(testing::PrintToString(values[i].key));
        EXPECT_NE(imported[i], std::nullopt);
        EXPECT_EQ(imported[i], Read(values[i].key, values[i].name, KEY_WOW64_32KEY));
    }
    RunCommand(L"/u /s " + server);
}

TEST(RegFile64, AValueNameWithLineEndsImportsAsThatNameAndMakesNoKey) {
    const std::wstring key = L"CLSID\\" TESSIVER_NEWLINE_CLASS;
    const wchar_t name[] = L"two\r\nlines\r\n[HKEY_CURRENT_USER\\Software\\Tessiver injected]";
    const CommandResult preview =
        RunCommand(L"/s /preview " + Quoted(ServerPath(L"export\\newlineserver.dll")), L"", true);
    ASSERT_EQ(preview.exitCode, 0u);
    ASSERT_EQ(ImportWith64BitEditor(preview.output), 0u) << testing::PrintToString(preview.output);
    EXPECT_EQ(Read(key, name, KEY_WOW64_32KEY), L"x");
    HKEY injected = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tessiver injected", 0, KEY_READ, &injected),
              ERROR_FILE_NOT_FOUND);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessiver injected");
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &classes) == 0) {
        RegDeleteTreeW(classes, TESSIVER_NEWLINE_CLASS);
        RegDeleteKeyExW(classes, TESSIVER_NEWLINE_CLASS, KEY_WOW64_32KEY, 0);
        RegCloseKey(classes);
    }
}

}  // namespace
