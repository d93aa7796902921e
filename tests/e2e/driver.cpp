#include "driver.h"

#include <vector>

#include "input.h"
#include "runtime/handles.h"
#include "testdirs.h"

#ifndef TESSIVER_EXE_FROM_TEST
#error "the build passes the program's path relative to the test"
#endif

namespace e2e {
namespace {

constexpr wchar_t kMainTitle[] = L"Quorvane Tessiver";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageTextId = 0xFFFF;  // the message box's text control

std::wstring FullPath(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    wchar_t full[MAX_PATH * 4] = {};
    GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    return full;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto& q = *reinterpret_cast<WindowQuery*>(data);
    if (ProcessOf(window) != q.pid || !IsWindowVisible(window) || ClassOf(window) != q.className) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    if (*q.title != title) return TRUE;
    q.found = window;
    return FALSE;
}

// A visible top-level window of the process with that class and title.
HWND FindTopLevel(DWORD pid, const wchar_t* className, const std::wstring& title) {
    WindowQuery query{pid, className, &title, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

}  // namespace

std::wstring ServerPath(const std::wstring& name) {
    return FullPath(TestProgramDir() + L"\\" + SERVERS_FROM_TEST + L"\\" + name);
}

std::wstring ProgramPath() {
    return FullPath(TestProgramDir() + L"\\" + TESSIVER_EXE_FROM_TEST);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

RunningApp::~RunningApp() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool RunningApp::Start(const Launch& launch) {
    const std::wstring program = launch.program.empty() ? ProgramPath() : launch.program;
    std::wstring commandLine =
        L"\"" + program + L"\"" + (launch.arguments.empty() ? L"" : L" " + launch.arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (launch.output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = launch.output;
    }
    // Under Wine a process now and then dies while the system starts it, before
    // its first instruction, and the start says "internal error": not the program's doing.
    BOOL started = FALSE;
    for (int attempt = 0; !started && attempt < 2; ++attempt) {
        started = CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, launch.output != nullptr, 0, nullptr,
            launch.folder.empty() ? nullptr : launch.folder.c_str(), &startup, &process_);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    if (!started) return false;
    if (launch.command) return true;
    WaitUntil([this] {
        main_ = FindTopLevel(process_.dwProcessId, L"TessiverForm", kMainTitle);
        return main_ != nullptr || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
    });
    // Shown is not yet settled: wait until start-up has run to the message loop.
    if (main_) WaitForInputIdle(process_.hProcess, 10000);
    return main_ != nullptr;
}

DWORD RunningApp::WaitForExit(DWORD timeoutMs) const {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND RunningApp::ChildAt(HWND parent, int x, int y) {
    HWND child = ChildWindowFromPointEx(parent, POINT{x, y}, CWP_SKIPINVISIBLE);
    return child == parent ? nullptr : child;
}

HWND RunningApp::PathField() const {
    return FindWindowExW(main_, nullptr, L"Edit", nullptr);
}

std::wstring RunningApp::PathText() const {
    return TextOf(PathField());
}

void RunningApp::SetPathText(const std::wstring& text) const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(PathField(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        5000, &ignored);
}

HWND RunningApp::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND RunningApp::FindBox(const std::wstring& title) const {
    return FindTopLevel(process_.dwProcessId, kDialogClass, title);
}

HWND RunningApp::WaitForBox(const std::wstring& title, DWORD timeoutMs) const {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindBox(title)) != nullptr; }, timeoutMs);
    return box;
}

bool RunningApp::Activate() const {
    SetForegroundWindow(main_);
    return WaitUntil([this] { return GetForegroundWindow() == main_; }, 5000);
}

void RunningApp::WaitUntilIdle() const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

namespace {

std::string ReadToEnd(HANDLE from) {
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(from, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

std::string FileBytes(const std::wstring& path) {
    const rt::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    return file ? ReadToEnd(file.Get()) : std::string();
}

BOOL CALLBACK AddWindow(HWND window, LPARAM data) {
    auto& found = *reinterpret_cast<std::pair<DWORD, std::wstring>*>(data);
    const std::wstring name = ClassOf(window);
    if (ProcessOf(window) == found.first && name != L"OleMainThreadWndClass") found.second += name + L" ";
    return TRUE;
}

}  // namespace

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

std::wstring WindowsOf(DWORD pid) {
    std::pair<DWORD, std::wstring> found{pid, L""};
    EnumWindows(&AddWindow, reinterpret_cast<LPARAM>(&found));
    for (HWND hidden = nullptr; (hidden = FindWindowExW(HWND_MESSAGE, hidden, nullptr, nullptr));)
        AddWindow(hidden, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

CommandResult RunCommand(const std::wstring& arguments, const wchar_t* fail, bool pipe, DWORD timeoutMs) {
    const std::wstring record = TestProgramDir() + L"\\record.txt",
                       output = TestProgramDir() + L"\\output.txt";
    DeleteFileW(record.c_str());
    SetEnvironmentVariableW(L"TESSIVER_RECORD", record.c_str());
    SetEnvironmentVariableW(L"TESSIVER_RECORD_FAIL", fail);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    rt::Handle read, write;
    if (pipe) {
        CreatePipe(read.Put(), write.Put(), &inherited, 1 << 16);
        SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0);
    } else {
        write.Reset(CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0,
                                nullptr));
    }
    CommandResult result;
    RunningApp app;
    if (!write || !app.Start({.arguments = arguments, .command = true, .output = write.Get()})) return result;
    write.Reset();  // the program holds its own: the pipe ends with it
    const std::string bytes = pipe ? ReadToEnd(read.Get()) : std::string();
    result.exitCode = app.WaitForExit(timeoutMs);
    const std::string text = pipe ? bytes : FileBytes(output);
    result.utf16 =
        text.size() >= 2 && static_cast<uint8_t>(text[0]) == 0xFF && static_cast<uint8_t>(text[1]) == 0xFE;
    if (result.utf16) {
        result.output.assign(reinterpret_cast<const wchar_t*>(text.data() + 2), (text.size() - 2) / 2);
        result.record = FileBytes(record);
        return result;
    }
    result.output.resize(text.size());
    result.output.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             result.output.data(), static_cast<int>(text.size())));
    result.record = FileBytes(record);
    return result;
}

std::wstring BoxText(HWND box) {
    return TextOf(GetDlgItem(box, kMessageTextId));
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (ClassOf(child) != L"Static" || (style & SS_TYPEMASK) != SS_ICON || !IsWindowVisible(child))
        return TRUE;
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
    *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(icon);
    return icon == 0;
}

HICON BoxIcon(HWND box) {
    HICON found = nullptr;
    EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return WaitUntil([box] { return !IsWindow(box); });
}

POINT ClientToScreenPoint(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

POINT CentreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Through the input stream, so that a press sent after it lands where the
// cursor now is (a separate cursor warp can be overtaken by queued input).
void MoveCursor(POINT screen) {
    testkit::SendMouse(MOUSEEVENTF_MOVE, screen);
    auto arrived = [screen] {
        POINT now{};
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    };
    if (WaitUntil(arrived, 1000)) return;
    SetCursorPos(screen.x, screen.y);
    WaitUntil(arrived, 1000);
}

void MouseButtons(DWORD flags) {
    // Where the cursor is: without MOUSEEVENTF_MOVE the point does not move it.
    POINT now{};
    GetCursorPos(&now);
    testkit::SendMouse(flags, now);
}

void Click(POINT screen) {
    // Two clicks within the double-click time make a double click, not two clicks.
    static ULONGLONG lastClick = 0;
    const ULONGLONG quiet = lastClick + GetDoubleClickTime() + 50;
    const ULONGLONG now = GetTickCount64();
    if (now < quiet) Sleep(static_cast<DWORD>(quiet - now));
    lastClick = GetTickCount64();
    MoveCursor(screen);
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MouseButtons(MOUSEEVENTF_LEFTUP);
}

void Click(HWND window) {
    Click(CentreOf(window));
}

void Keys(std::initializer_list<WORD> keys) {
    testkit::SendChord(keys);
}

}  // namespace e2e
