// What the user's unelevated side can reach in the elevated program: the web
// commands must start the browser as the user, not as the program; messages
// posted from outside must not make the program read or free memory it was
// handed a handle to.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Every page the program can write to, start and size: where its heaps and handle tables live.
std::vector<MEMORY_BASIC_INFORMATION> WritablePages(HANDLE process) {
    std::vector<MEMORY_BASIC_INFORMATION> regions;
    MEMORY_BASIC_INFORMATION info{};
    for (auto* at = static_cast<BYTE*>(nullptr);
         VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;
         at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE && info.Protect == PAGE_READWRITE)
            regions.push_back(info);
    }
    return regions;
}

// What another process can name as a drop: small numbers (the program's kernel handles among
// them), its windows, and every pointer-aligned value at the start of each writable region,
// where its heaps keep their first blocks and the memory-handle table its live entries.
std::vector<WPARAM> ForeignDropHandles(const RunningApp& app, HANDLE process) {
    std::vector<WPARAM> handles;
    for (WPARAM small = 0; small < 0x4000; small += 2) handles.push_back(small);
    for (HWND window : {app.Main(), app.PathField()}) handles.push_back(reinterpret_cast<WPARAM>(window));
    constexpr SIZE_T kHead = 8192;
    for (const MEMORY_BASIC_INFORMATION& region : WritablePages(process)) {
        const auto base = reinterpret_cast<WPARAM>(region.BaseAddress);
        for (WPARAM at = base; at < base + std::min(region.RegionSize, kHead); at += 4) handles.push_back(at);
    }
    return handles;
}

// Posted drops whose handle the program did not get from a drop: it reads none, frees none, keeps answering.
TEST(Drops, ForeignHandlesLeaveTheProgramAnsweringAndTheFieldAlone) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring kept = L"C:\\kept\\server.dll";
    app.SetPathText(kept);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.ProcessId());
    ASSERT_NE(process, nullptr);
    const std::vector<WPARAM> handles = ForeignDropHandles(app, process);
    CloseHandle(process);
    constexpr size_t kBatch = 2000;
    for (size_t first = 0; first < handles.size(); first += kBatch) {
        // Drops land on the window and on the field alike.
        const HWND target = (first / kBatch) % 2 ? app.PathField() : app.Main();
        for (size_t i = first; i < std::min(first + kBatch, handles.size()); ++i)
            PostMessageW(target, WM_DROPFILES, handles[i], 0);
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 20000, &ignored))
            << "no answer after the drops from " << std::hex << handles[first];
    }
    EXPECT_EQ(app.PathText(), kept);
    EXPECT_EQ(app.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
}

}  // namespace
