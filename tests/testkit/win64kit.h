// What the 64-bit-system tests look at from outside the program: the test
// class in either view of the registry, the helper among the running
// processes, the program's folders in the temporary folders, and links
// planted there as a user without elevation could.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <tlhelp32.h>

#include <optional>
#include <string>

#include "regtools.h"
#include "testobject.h"

// The test class's server in one view (KEY_WOW64_32KEY or KEY_WOW64_64KEY); nullopt when not there.
inline std::optional<std::wstring> ServerInView(REGSAM view) {
    const std::wstring key =
        std::wstring(L"Software\\Classes\\CLSID\\") + kTestObjectClsidText + L"\\InprocServer32";
    return testkit::ReadRegString(HKEY_LOCAL_MACHINE, key, nullptr, view);
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

// The user's temporary folder and the system's (%SystemRoot%\Temp), each with its trailing backslash.
inline std::wstring UserTemp() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return temp;
}
inline std::wstring SystemTemp() {
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\Temp\\";
}

// Folders the program made in either temporary folder and left there.
inline int TempFoldersLeft() {
    int count = 0;
    for (const std::wstring& temp : {UserTemp(), SystemTemp()}) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((temp + L"tessiver-*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do ++count;
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return count;
}

// Under Wine, links are made from the Unix side, as a user's program outside
// Wine would (Wine shows a Unix symbolic link as a reparse point); on Windows,
// a symbolic link.
inline std::wstring UnixPath(const std::wstring& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return {};
    std::wstring wide(name, name + lstrlenA(name));
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

inline bool RunUnix(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Waits until the name is there (or gone): a Unix program's end is not always seen at once.
inline bool NameThere(const std::wstring& path, bool there) {
    for (int i = 0; i < 100; ++i, Sleep(50)) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(path.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        if ((search != INVALID_HANDLE_VALUE) == there) return true;
    }
    return false;
}

inline bool PlantLink(const std::wstring& link, const std::wstring& target) {
    const std::wstring from = UnixPath(link), to = UnixPath(target);
    if (from.empty()) {
        const DWORD kind = GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
        return CreateSymbolicLinkW(link.c_str(), target.c_str(), kind ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) !=
               0;
    }
    return RunUnix(L"/bin/ln -s \"" + to + L"\" \"" + from + L"\"") && NameThere(link, true);
}

// The link itself, not what it leads to.
inline void RemoveLink(const std::wstring& link) {
    const std::wstring path = UnixPath(link);
    if (!path.empty()) {
        RunUnix(L"/bin/rm -f \"" + path + L"\"");
        NameThere(link, false);
    } else if (!RemoveDirectoryW(link.c_str())) {
        DeleteFileW(link.c_str());
    }
}
