// Where the self-handling test server notes what it saw, shared by the server and its tests.
#pragma once

#include <windows.h>

inline constexpr wchar_t kSelfHandledNotes[] = L"Software\\Tessiver tests\\selfhandled";

// A number the server noted at its last registration; 0 when there is none.
inline DWORD SelfHandledNote(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kSelfHandledNotes, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}
