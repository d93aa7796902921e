// Starts the built program and drives it from outside as a person would: real
// mouse and keyboard input, its message boxes read and answered, every wait a
// poll with a deadline.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace e2e {

// The test servers' folder and the program, found from the test program's own folder.
std::wstring ServerPath(const std::wstring& name);
std::wstring ProgramPath();

// Polls until `done` holds or the time is up; its last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// Where the program starts from, when not as built and from the test's own folder.
struct Launch {
    std::wstring program{};    // another copy of the program; empty: the built one
    std::wstring folder{};     // its current folder; empty: the test's own
    std::wstring arguments{};  // what follows the program's name on its command line
    bool command = false;      // command mode: no main window is waited for
    HANDLE output = nullptr;   // an inheritable handle for its standard output
};

// A command-mode run to its end, its standard output in a file or a pipe,
// with the recording server's notes (TESSIVER_RECORD, in a fresh file) and
// the export it is to fail (TESSIVER_RECORD_FAIL).
struct CommandResult {
    DWORD exitCode = STILL_ACTIVE;
    std::wstring output;  // read as UTF-8, or as UTF-16 where it starts with that encoding's mark
    bool utf16 = false;
    std::string record;
};
CommandResult RunCommand(const std::wstring& arguments, const wchar_t* fail = L"", bool pipe = false,
                         DWORD timeoutMs = 20000);
std::wstring Quoted(const std::wstring& path);

// The classes of every window of the process, top-level and message-only,
// but for OLE's own hidden window, which OleInitialize makes.
std::wstring WindowsOf(DWORD pid);

class RunningApp {
public:
    RunningApp() = default;
    ~RunningApp();  // ends the process if it still runs
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    // Starts the program and waits for its main window (unless in command mode). False on failure.
    bool Start(const Launch& launch = {});
    HWND Main() const { return main_; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    // Waits for the process to end; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs = 10000) const;

    // The direct child of `parent` at a point of its client area; null if none.
    static HWND ChildAt(HWND parent, int x, int y);
    HWND PathField() const;
    std::wstring PathText() const;
    void SetPathText(const std::wstring& text) const;
    // The window that has the keyboard focus in the program.
    HWND Focus() const;
    // A top-level message box of the program with that title; null if none shows.
    HWND WaitForBox(const std::wstring& title, DWORD timeoutMs = 10000) const;
    HWND FindBox(const std::wstring& title) const;
    // Makes the program the foreground window (for keystrokes).
    bool Activate() const;
    // Returns once the program's window thread has handled what was sent to it so far.
    void WaitUntilIdle() const;

private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

std::wstring BoxText(HWND box);
// The icon the box shows beside its text; null when none. Boxes of one
// process with the same kind of icon show the same one.
HICON BoxIcon(HWND box);
// Presses OK and waits until the box is gone.
bool PressOk(HWND box);

// Real input: the cursor moves to the window's centre (or a point of its
// client area) and the buttons go down and up there.
POINT ClientToScreenPoint(HWND window, int x, int y);
POINT CentreOf(HWND window);
void MoveCursor(POINT screen);
void MouseButtons(DWORD flags);
void Click(POINT screen);
void Click(HWND window);
// Presses and releases the keys in order down, then in reverse order up.
void Keys(std::initializer_list<WORD> keys);

}  // namespace e2e
