// What the system offers: exported functions, the NT family, leave tracking.
#pragma once

#include <windows.h>

#include <string>

namespace aero {

// True when the module exports the function. A module loaded only for the
// question is released again; one already loaded is left alone.
bool IsFunctionExported(const std::wstring& functionName, const std::wstring& moduleName);

// The function's address in an already loaded module; never loads one.
FARPROC GetExportAddress(const std::wstring& moduleName, const std::wstring& functionName);

// True on the NT family of systems, where the wide text calls exist.
bool IsWinNT();

// Asks for one WM_MOUSELEAVE for the window, through user32 when it offers
// leave tracking (useUser32), else through comctl32. The result is not needed.
void RequestMouseLeave(HWND hWnd, bool useUser32);

}  // namespace aero
