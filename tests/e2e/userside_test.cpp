// What the user's unelevated side can reach in the elevated program: the web
// commands must start the browser as the user, not as the program; messages
// posted from outside must not make the program read or free memory it was
// handed a handle to.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <tlhelp32.h>

#include <string>

#include "driver.h"
#include "standin/browser.h"

using namespace e2e;

namespace {

std::wstring ProcessName(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    std::wstring name;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && name.empty();
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == pid) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

// Each web command's page opens in a browser the desktop's shell starts, never one this program starts.
TEST(WebPages, OpenInABrowserTheDesktopShellStarts) {
    StandInBrowser browser;
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const struct {
        const wchar_t* what;
        POINT at;
        std::wstring address;
    } commands[] = {
        {L"Homepage", {300, 148}, TESSIVER_HOME_PAGE},
        {L"Community", {380, 148}, TESSIVER_HOME_PAGE L"/forum/"},
        {L"link label", {30, 110}, TESSIVER_HOME_PAGE},
    };
    for (const auto& c : commands) {
        Click(ClientToScreenPoint(app.Main(), c.at.x, c.at.y));
        const std::wstring record = browser.Record(15000);
        ASSERT_FALSE(record.empty()) << c.what << ": no browser started";
        DWORD parent = 0, own = 0;
        wchar_t address[512] = {};
        ASSERT_EQ(swscanf(record.c_str(), L"%lu %lu %511ls", &parent, &own, address), 3) << record;
        EXPECT_NE(parent, app.ProcessId()) << c.what;
        EXPECT_EQ(lstrcmpiW(ProcessName(parent).c_str(), L"explorer.exe"), 0)
            << c.what << ": " << ProcessName(parent);
        EXPECT_EQ(address, c.address) << c.what;
        EXPECT_EQ(app.FindBox(L"Error!"), nullptr) << c.what;
    }
}

}  // namespace
