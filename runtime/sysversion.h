// The system's version record, read once for the whole process: the window,
// its services and every button ask the same question, and the answer never
// changes while the program runs.
#pragma once

#include <windows.h>

namespace rt {

// GetVersionExA's ANSI record (size field 148), with the service-pack text
// blank-filled before the call; all zero when the call fails.
const OSVERSIONINFOA& SystemVersion();

}  // namespace rt
