#include "windowdrive.h"

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

}  // namespace

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title) {
    const double until = NowMs() + 15000;
    for (;;) {
        Search s{pid, className, title, nullptr};
        EnumWindows(&Match, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        if (NowMs() > until) return nullptr;
        Sleep(1);
    }
}

DrivenWindow::~DrivenWindow() {
    if (!process_) return;
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.Get(), 5000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
}

bool DrivenWindow::Start(const std::wstring& program) {
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &pi))
        return false;
    process_.Reset(pi.hProcess);
    const rt::Handle thread(pi.hThread);
    pid_ = pi.dwProcessId;
    main_ = WaitForWindow(pid_, L"TessiverForm", L"Quorvane Tessiver");
    if (main_) WaitForInputIdle(process_.Get(), 10000);
    return main_ != nullptr;
}

void DrivenWindow::Name(const std::wstring& text) const {
    HWND field = FindWindowExW(main_, nullptr, L"Edit", nullptr);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

double DrivenWindow::ClickToAnswer() const {
    SetForegroundWindow(main_);
    POINT at = kRegister;
    ClientToScreen(main_, &at);
    const double start = NowMs();
    SetCursorPos(at.x, at.y);
    testkit::SendMouse(MOUSEEVENTF_LEFTDOWN, at);
    testkit::SendMouse(MOUSEEVENTF_LEFTUP, at);
    HWND box = WaitForWindow(pid_, L"#32770", L"Success!");
    const double ms = NowMs() - start;
    if (!box) return -1;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    while (IsWindow(box)) Sleep(1);
    Sleep(GetDoubleClickTime() + 50);
    return ms;
}

}  // namespace bench
