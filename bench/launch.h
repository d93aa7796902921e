// Starting a window program from outside and timing it until its main window
// is visible and idle, then reading what it holds and ending it.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// What a running process holds: committed private memory, handles (from the
// system's handle table where the process counter reads 0), the platform's GDI
// and USER counters (which may read 0, as under Wine) and its windows,
// top-level and child.
struct Footprint {
    double privateKiB = 0;
    double handles = 0;
    double gdiObjects = 0;
    double userObjects = 0;
    double windows = 0;
};

Footprint ReadFootprint(HANDLE process, DWORD pid);

struct StartResult {
    bool ok = false;
    double ms = 0;  // from just before CreateProcess to visible and idle
    Footprint footprint;
};

// Starts `exe` and polls until its main window (a visible top-level window
// of the process with no owner) is there and idle: the process has gone idle
// (WaitForInputIdle), the window's thread answers a sent message, and neither
// it nor any child has an update region left, so the first paint is done.
// Then reads the footprint and closes the window (terminating the process if it
// does not end within a few seconds).
StartResult StartUntilIdle(const std::wstring& exe, DWORD timeoutMs = 15000);

// Runs a command line to its end, its output to a log as a script's goes, or
// to nowhere; the milliseconds it took, negative on failure or on an exit
// code other than `expectedExit`.
double RunToEnd(const std::wstring& commandLine, DWORD expectedExit = 0, bool logged = true);

// Milliseconds since an arbitrary origin, from the performance counter.
double NowMs();

// The folder of this program, with a trailing backslash.
std::wstring OwnFolder();

}  // namespace bench
