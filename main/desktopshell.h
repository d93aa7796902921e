// Opening a file or address through the user's desktop shell. The program runs
// elevated: whatever it started itself would run elevated too, with a command
// taken from class keys the user can write.
#pragma once

#include <windows.h>

#include <string>

namespace modFunctions {

// The run-time error raised when no desktop shell answered to open a page for the user.
inline constexpr long kNoDesktopShell = 989;

// Asks the desktop shell, in its own process with the user's own rights, to
// open `file`; the shell's answer (S_OK: it started something). Raises when no
// desktop shell answers: nothing is started then.
HRESULT DesktopShellOpen(const std::wstring& file, const std::wstring& parameters,
                         const std::wstring& directory);

}  // namespace modFunctions
