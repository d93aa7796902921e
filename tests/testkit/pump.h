// Lets posted and typed input arrive: runs pending messages for a while.
#pragma once

#include <windows.h>

#include "app.h"

inline void Pump(DWORD milliseconds = 150) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        rt::DoEvents();
        Sleep(5);
    } while (static_cast<long>(end - GetTickCount()) > 0);
}
