// DllInstall as command mode calls it, on a recording server of either kind:
// what the server was asked, in order, and the exit code.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "driver.h"

namespace e2e {

inline void CheckInstallCases(const std::wstring& server) {
    const struct {
        const wchar_t* switches;
        const wchar_t* fail;  // the export that reports failure
        DWORD exitCode;
        const char* record;
    } cases[] = {
        {L"/s /i:hello", L"", 0, "DllRegisterServer\nDllInstall(TRUE, \"hello\")\n"},
        {L"-S -I", L"", 0, "DllRegisterServer\nDllInstall(TRUE, NULL)\n"},
        {L"/u /s /i:\"two words\"", L"", 0, "DllInstall(FALSE, \"two words\")\nDllUnregisterServer\n"},
        {L"/n /s /i:x", L"", 0, "DllInstall(TRUE, \"x\")\n"},
        {L"/s /N /u /i", L"", 0, "DllInstall(FALSE, NULL)\n"},
        {L"/s /i:", L"", 0, "DllRegisterServer\nDllInstall(TRUE, \"\")\n"},
        {L"/s /i:x", L"DllRegisterServer", 5, "DllRegisterServer\n"},
        {L"/s /u /i:x", L"DllInstall", 5, "DllInstall(FALSE, \"x\")\n"},
        {L"/s /i:x", L"DllInstall", 5, "DllRegisterServer\nDllInstall(TRUE, \"x\")\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.switches << " failing " << c.fail);
        const CommandResult run = RunCommand(std::wstring(c.switches) + L" " + Quoted(server), c.fail);
        EXPECT_EQ(run.exitCode, c.exitCode) << testing::PrintToString(run.output);
        EXPECT_EQ(run.record, c.record);
        EXPECT_EQ(run.output.rfind(server + L": ", 0), 0u) << testing::PrintToString(run.output);
        if (*c.fail) {
            EXPECT_NE(
                run.output.find(std::wstring(L"The server's ") + c.fail + L" reported failure 0x80004005"),
                std::wstring::npos)
                << testing::PrintToString(run.output);
        }
    }
}

}  // namespace e2e
