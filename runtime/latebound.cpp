#include "latebound.h"

#include <string>

namespace rt {

void NarrowDllSearch() {
    SetDllDirectoryW(L"");  // the current folder out
    // Windows 8 and later, and 7 with its loader update; bound here so that older ones still start.
    const auto setDefault = LateBound<BOOL WINAPI(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
    // No folder is ever added: an added one would be searched before the system's.
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // A loader without the search flags: name the file in the system folder outright.
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC LateBoundExport(const wchar_t* dll, const char* name) {
    // One already in the process is taken as it is: asking costs no search of the disk.
    // One loaded here is never freed: its functions may be called until the process ends.
    HMODULE module = GetModuleHandleW(dll);
    if (!module) module = LoadSystemLibrary(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace rt
