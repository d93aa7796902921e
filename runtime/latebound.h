// System DLLs, and only the system's: the program runs elevated, so a DLL
// planted beside it or in the current folder must never load in their place.
// Functions are bound at their first call instead of at start: the DLLs behind
// the Open dialog and the shell load only when a command needs them, which
// keeps them out of the program's start-up.
#pragma once

#include <windows.h>

namespace rt {

// Takes the current folder and the program's own folder out of the DLL
// search for the rest of the process, where the platform allows it, so that
// what the platform loads on the program's behalf comes from the system
// folder too. Called first thing at start.
void NarrowDllSearch();

// The system DLL `name`, from the system folder only; null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The export `name` of the system DLL `dll`, loaded on first use and kept for
// the life of the process; null when either is missing.
FARPROC LateBoundExport(const wchar_t* dll, const char* name);

// The one way to call a function the program does not import: typed, and null
// where the system lacks it. Callers that call often keep the result in a static.
template <class Function>
Function* LateBound(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(LateBoundExport(dll, name)));
}

}  // namespace rt
