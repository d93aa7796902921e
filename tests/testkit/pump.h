// Lets posted and typed input arrive: runs pending messages for a while (at
// least once, so Pump(0) runs what is pending now).
#pragma once

#include <windows.h>

#include "runtime/app.h"

inline void Pump(DWORD milliseconds = 150) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        rt::DoEvents();
        Sleep(5);
    } while (static_cast<long>(end - GetTickCount()) > 0);
}
