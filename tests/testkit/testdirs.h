// Where the test program and the test servers lie, found from the program itself.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring TestProgramDir() {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

// The build puts the servers beside the test program's folder.
inline std::wstring ServersDir() {
    const std::wstring up = TestProgramDir() + L"\\..\\servers";
    wchar_t full[MAX_PATH * 4] = {};
    GetFullPathNameW(up.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    return full;
}

inline std::wstring ServerPath(const std::wstring& name) {
    return ServersDir() + L"\\" + name;
}
