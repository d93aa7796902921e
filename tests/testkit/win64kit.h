// What the 64-bit-system tests look at from outside the program: the test
// class in either view of the registry, the helper among the running
// processes, and the program's folders in the temporary folder.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <tlhelp32.h>

#include <optional>
#include <string>

#include "testobject.h"

// The test class's server in one view (KEY_WOW64_32KEY or KEY_WOW64_64KEY); nullopt when not there.
inline std::optional<std::wstring> ServerInView(REGSAM view) {
    const std::wstring key =
        std::wstring(L"Software\\Classes\\CLSID\\") + kTestObjectClsidText + L"\\InprocServer32";
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    const LONG rc = RegGetValueW(opened, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(opened);
    return rc == ERROR_SUCCESS ? std::optional<std::wstring>(value) : std::nullopt;
}

inline void ForgetTestClass() {
    const std::wstring key =
        std::wstring(L"Software\\Classes\\CLSID\\") + kTestObjectClsidText + L"\\InprocServer32";
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
}

inline bool SamePath(const std::optional<std::wstring>& a, const std::wstring& b) {
    return a && CompareStringOrdinal(a->c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A running process's id by its file name; 0 when none runs.
inline DWORD ProcessNamed(const wchar_t* exe) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, exe) == 0) found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

inline DWORD HelperProcess() {
    return ProcessNamed(L"tessiver64.exe");
}

inline bool HelperRunning() {
    return HelperProcess() != 0;
}

// Folders the program made in the temporary folder and left there.
inline int TempFoldersLeft() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((std::wstring(temp) + L"tessiver-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}
