#include "register64.h"

#include <windows.h>

#include <cstdio>

#include "input.h"
#include "launch.h"

namespace bench {
namespace {

// The Register button's centre in the window's client area.
constexpr POINT kRegister{140, 148};

struct Search {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
    auto& s = *reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {}, title[128] = {};
    GetClassNameW(window, name, 64);
    GetWindowTextW(window, title, 128);
    if (pid != s.pid || !IsWindowVisible(window) || lstrcmpW(name, s.className) || lstrcmpW(title, s.title))
        return TRUE;
    s.found = window;
    return FALSE;
}

HWND Find(DWORD pid, const wchar_t* className, const wchar_t* title) {
    Search s{pid, className, title, nullptr};
    EnumWindows(&Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitFor(DWORD pid, const wchar_t* className, const wchar_t* title) {
    const double until = NowMs() + 15000;
    for (;;) {
        if (HWND found = Find(pid, className, title)) return found;
        if (NowMs() > until) return nullptr;
        Sleep(1);
    }
}

void Click(HWND main) {
    POINT at = kRegister;
    ClientToScreen(main, &at);
    SetCursorPos(at.x, at.y);
    testkit::SendMouse(MOUSEEVENTF_LEFTDOWN, at);
    testkit::SendMouse(MOUSEEVENTF_LEFTUP, at);
}

// Clicks Register and waits for the success box: the milliseconds in between, negative on failure.
double ClickToAnswer(DWORD pid, HWND main) {
    SetForegroundWindow(main);
    const double start = NowMs();
    Click(main);
    HWND box = WaitFor(pid, L"#32770", L"Success!");
    const double ms = NowMs() - start;
    if (!box) return -1;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    while (IsWindow(box)) Sleep(1);
    // Double-click time passes, so the next click is a click of its own.
    Sleep(GetDoubleClickTime() + 50);
    return ms;
}

}  // namespace

std::wstring RegistrationTool64() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    // A 32-bit process reaches the 64-bit system folder by its alias.
    return std::wstring(windows) + L"\\Sysnative\\regsvr32.exe";
}

bool MeasureRegister64(int runs, const std::wstring& program, const std::wstring& server,
                       std::vector<Row>& rows) {
    const std::wstring command = L"\"" + RegistrationTool64() + L"\" /s \"" + server + L"\"";
    // The first click after the path arrives, half a second later; later ones find a helper waiting too.
    Row first{"... the first click, 0.5 s on", "ms", {}, "64-bit regsvr32 /s, whole process", {}, 1};
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &pi))
        return false;
    HWND main = WaitFor(pi.dwProcessId, L"TessiverForm", L"Quorvane Tessiver");
    bool ok = main != nullptr;
    if (ok) {
        WaitForInputIdle(pi.hProcess, 10000);
        HWND field = FindWindowExW(main, nullptr, L"Edit", nullptr);
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(server.c_str()));
        // The system's 64-bit side is started once first, so that neither measure pays for it.
        ok = RunToEnd(command) >= 0;
        // A person's move from the field to the button takes longer than this; the helper
        // the path's arrival got ready has started meanwhile.
        Sleep(500);
        first.program.push_back(ClickToAnswer(pi.dwProcessId, main));
        first.baseline.push_back(RunToEnd(command));
        ok = ok && first.program[0] >= 0 && first.baseline[0] >= 0;
    }
    Row row{"64-bit server, click to answer", "ms", {}, "64-bit regsvr32 /s, whole process", {}, 1};
    for (int i = 0; ok && i < runs; ++i) {
        const double click = ClickToAnswer(pi.dwProcessId, main);
        const double whole = RunToEnd(command);
        ok = click >= 0 && whole >= 0;
        row.program.push_back(click);
        row.baseline.push_back(whole);
    }
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!ok) {
        std::fprintf(stderr, "bench: cannot register the 64-bit server through the window\n");
        return false;
    }
    rows.push_back(std::move(row));
    rows.push_back(std::move(first));
    return true;
}

}  // namespace bench
