// Loading a server while watching for an exception that escapes its DllMain:
// the loader turns one into a bare error code (998 for an access violation)
// and unmaps the module, so what and where must be caught as it happens.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace services {

struct LoadCrash {
    bool Happened = false;
    uint32_t Code = 0;
    std::wstring Description;  // as DescribeFault gives it
};

// Runs `load` (a LoadLibrary call) on this thread. When it fails with the
// error the loader makes of an exception raised meanwhile on this thread,
// `crash` tells that exception; GetLastError is kept either way.
HMODULE LoadWatched(const std::function<HMODULE()>& load, LoadCrash& crash);

}  // namespace services
