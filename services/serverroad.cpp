#include "serverroad.h"

#include <windows.h>

#include "loaddiagnosis.h"
#include "peimage.h"
#include "serverpath.h"

namespace services {
namespace {

std::wstring FolderFrom(UINT(WINAPI* query)(LPWSTR, UINT)) {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = query(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), n, full.data(), nullptr));
    return full;
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return !folder.empty() && path.size() > folder.size() + 1 &&
           (path[folder.size()] == L'\\' || path[folder.size()] == L'/') &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool Is64BitWindows() {
#if defined(_WIN64)
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::wstring ShellView(const std::wstring& fullPath) {
    if (sizeof(void*) == 8 || !Is64BitWindows()) return fullPath;
    const std::wstring system = FolderFrom(&GetSystemDirectoryW);
    if (!StartsWithFolder(fullPath, system)) return fullPath;
    return FolderFrom(&GetWindowsDirectoryW) + L"\\Sysnative" + fullPath.substr(system.size());
}

ServerRoad ChooseRoad(const std::wstring& path) {
    const ServerRoad asGiven{Road::InProcess, path};
    if (CheckPathForm(path).Fault != PathFault::None || IsBareName(path)) return asGiven;
    const std::wstring full = FullPath(path);
    const std::wstring shell = ShellView(full);
    const std::wstring file = LoaderFile(shell);
    if (file.empty()) return asGiven;
    switch (LibraryKind(file)) {
        case PeImage::Kind::X64: {
            if (!Is64BitWindows()) return {Road::Needs64BitWindows, file};
            // The helper is 64-bit: the system folder is its own, without the alias.
            return {Road::Helper, shell == full ? file : full + file.substr(shell.size())};
        }
        case PeImage::Kind::X86:
            return shell == full ? asGiven : ServerRoad{Road::InProcess, file};
        default:
            return asGiven;
    }
}

}  // namespace services
