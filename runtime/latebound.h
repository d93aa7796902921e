// System functions bound at their first call instead of at start: the DLLs
// behind the Open dialog and the shell load only when a command needs them,
// which keeps them out of the program's start-up.
#pragma once

#include <windows.h>

namespace rt {

// The export `name` of the system DLL `dll`, loaded on first use and kept for
// the life of the process; null when either is missing.
FARPROC LateBoundExport(const wchar_t* dll, const char* name);

template <class Function>
Function* LateBound(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(LateBoundExport(dll, name)));
}

}  // namespace rt
