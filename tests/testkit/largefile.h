// A copy of a server made large: the same headers and sections, then hundreds
// of megabytes more, as servers with big resources have (sparse where the file
// system allows, so that making it costs no disk).
#pragma once

#include <windows.h>

#include <string>

inline bool LargeCopy(const std::wstring& from, const std::wstring& to, LONGLONG size = 500ll << 20) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return false;
    HANDLE file = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end{};
    end.QuadPart = size;
    const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}
