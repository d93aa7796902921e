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

using namespace e2e;

namespace {

std::optional<std::wstring> Read(const std::wstring& key, const wchar_t* name, REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    const LONG rc = RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(opened);
    return rc == ERROR_SUCCESS ? std::optional<std::wstring>(value) : std::nullopt;
}

// The registration file imported by the 64-bit registry editor; its exit code.
DWORD ImportWith64BitEditor(const std::wstring& text) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"tessiver-preview64.reg";
    const std::wstring bytes = text.rfind(L"\xFEFF", 0) == 0 ? text : L"\xFEFF" + text;
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size() * 2), &written, nullptr);
    CloseHandle(out);
    std::wstring command = L"C:\\windows\\sysnative\\reg.exe import \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return GetLastError();
    WaitForSingleObject(started.hProcess, 30000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    DeleteFileW(file.c_str());
    return code;
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
