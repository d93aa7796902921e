// The program's real window driven from outside, as a person drives it: the
// path typed into its field, Register clicked with the mouse, the answer box
// awaited and closed.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/handles.h"

namespace bench {

class DrivenWindow {
public:
    DrivenWindow() = default;
    ~DrivenWindow();  // closes the window, ending the process if it does not end by itself
    DrivenWindow(const DrivenWindow&) = delete;
    DrivenWindow& operator=(const DrivenWindow&) = delete;

    // Starts the program and waits until its main window is there and idle.
    bool Start(const std::wstring& program);
    // Puts `text` into the path field, as typing or pasting it would.
    void Name(const std::wstring& text) const;
    // Clicks Register and waits for the success box: the milliseconds in
    // between, negative on failure. The box is closed, and a double-click time
    // passes so that the next click is one of its own.
    double ClickToAnswer() const;

private:
    rt::Handle process_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// The first visible top-level window of the process with that class and title, waited for up to 15 s.
HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title);

}  // namespace bench
