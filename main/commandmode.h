// Command mode, for scripts and installers: no window is built. Each file
// takes the window's road, one line per file goes to the standard output
// when it is a file or a pipe, one box tells the outcome at the end unless
// silent, and the exit code says how it went.
#pragma once

#include <windows.h>

#include <string>

#include "commandline.h"
#include "registration/registrar.h"

enum ExitCode : int {
    kExitDone = 0,
    kExitWrongCommandLine = 1,
    kExitNoOle = 2,
    kExitNotLoaded = 3,
    kExitNoExport = 4,
    kExitExportFailed = 5,
};

// A silent run ends a 64-bit server that has not answered in this time.
inline constexpr DWORD kSilentPatienceMs = 60000;

// What one file's outcome makes of the exit code.
ExitCode ExitCodeOf(const services::RegistrationOutcome& outcome);

// One file's line of output: its path and outcome in the window's words, on one line.
std::wstring OutputLine(const services::RegistrationOutcome& outcome, const services::ServerTask& task);

// Runs a command line that has a switch; the exit code. `module` carries the 64-bit helper.
int RunCommandMode(HINSTANCE module, const CommandLine& command);
