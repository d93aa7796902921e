// The process: OLE on the window thread, the message loop with dialog
// navigation, and the end of the loop when the last form is unloaded.
#pragma once

#include <windows.h>

#include "comscope.h"

namespace rt {

class Form;

class App {
public:
    // OLE is initialised on this thread before any form exists: servers' own
    // registration code relies on it.
    App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool OleReady() const { return ole_.Entered(); }
    // Runs the message loop until no form is loaded (or WM_QUIT arrives); the exit code.
    int Run();

private:
    ComScope ole_ = ComScope::Ole();
};

// One message through the forms' keyboard navigation, then translated and
// dispatched; afterwards a focus change is reported to its form.
void ProcessMessage(const MSG& msg);
// Reports a focus change since the last look to the form that now has the focus.
void SyncFocus();
int LoadedFormCount();

// Runs every pending message of this thread through the message loop's
// processing (navigation included); the number of loaded forms.
int DoEvents();

namespace detail {
void FormOpened(Form* form);
void FormClosed(Form* form);
}  // namespace detail

}  // namespace rt
