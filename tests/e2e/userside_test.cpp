// What the user's unelevated side can reach in the elevated program: the web
// commands start the browser as the user, not as the program; drops posted
// from outside make it read or free nothing it was not dropped.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"
#include "standin/browser.h"

using namespace e2e;

namespace {

std::wstring ProcessName(DWORD pid) {
    std::wstring name;
    ForEachProcess([&](const PROCESSENTRY32W& entry) {
        if (entry.th32ProcessID == pid) name = entry.szExeFile;
        return name.empty();
    });
    return name;
}

TEST(WebPages, OpenInABrowserTheDesktopShellStarts) {
    StandInBrowser browser;
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const struct {
        POINT at;
        std::wstring address;
    } commands[] = {
        {{300, 148}, TESSIVER_HOME_PAGE},             // Homepage
        {{380, 148}, TESSIVER_HOME_PAGE L"/forum/"},  // Community
        {{30, 110}, TESSIVER_HOME_PAGE},              // the link label
    };
    for (const auto& c : commands) {
        Click(ClientToScreenPoint(app.Main(), c.at.x, c.at.y));
        const std::wstring note = browser.Take(15000);
        DWORD parent = 0, own = 0;
        wchar_t address[512] = {};
        ASSERT_EQ(swscanf(note.c_str(), L"%lu %lu %511ls", &parent, &own, address), 3) << c.address;
        EXPECT_NE(parent, app.ProcessId());
        EXPECT_EQ(lstrcmpiW(ProcessName(parent).c_str(), L"explorer.exe"), 0) << ProcessName(parent);
        EXPECT_EQ(address, c.address);
        EXPECT_EQ(app.FindBox(L"Error!"), nullptr);
    }
}

// What another process can name as a drop: small numbers (the program's kernel handles
// among them), its windows, and every pointer-aligned value at the start of each region it
// can write, where its heaps keep their first blocks and the memory-handle table its entries.
std::vector<WPARAM> ForeignDropHandles(const RunningApp& app) {
    std::vector<WPARAM> handles{reinterpret_cast<WPARAM>(app.Main()),
                                reinterpret_cast<WPARAM>(app.PathField())};
    for (WPARAM small = 0; small < 0x4000; small += 2) handles.push_back(small);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, app.ProcessId());
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<BYTE*>(nullptr); VirtualQueryEx(process, at, &region, sizeof region);
         at = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_COMMIT || region.Type != MEM_PRIVATE || region.Protect != PAGE_READWRITE)
            continue;
        const auto base = reinterpret_cast<WPARAM>(region.BaseAddress);
        for (WPARAM p = base; p < base + std::min<SIZE_T>(region.RegionSize, 8192); p += 4)
            handles.push_back(p);
    }
    CloseHandle(process);
    return handles;
}

TEST(Drops, ForeignHandlesLeaveTheProgramAnsweringAndTheFieldAlone) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    app.SetPathText(L"C:\\kept\\server.dll");
    const std::vector<WPARAM> handles = ForeignDropHandles(app);
    constexpr size_t kBatch = 2000;
    for (size_t first = 0; first < handles.size(); first += kBatch) {
        const HWND target = (first / kBatch) % 2 ? app.PathField() : app.Main();
        for (size_t i = first; i < std::min(first + kBatch, handles.size()); ++i)
            PostMessageW(target, WM_DROPFILES, handles[i], 0);
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 20000, &ignored))
            << "no answer after the drops from " << std::hex << handles[first];
    }
    EXPECT_EQ(app.PathText(), L"C:\\kept\\server.dll");
}

}  // namespace
