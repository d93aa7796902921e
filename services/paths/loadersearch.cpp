#include "loadersearch.h"

#include <algorithm>

namespace services {
namespace {

// A drive's folder (C:\...) or a share's (\\server\share): an entry such as
// "bin", "\bin" or "C:bin" means another folder for every current folder.
bool IsAbsoluteFolder(const std::wstring& folder) {
    const auto separator = [&](size_t i) {
        return folder.size() > i && (folder[i] == L'\\' || folder[i] == L'/');
    };
    return (folder.size() > 1 && folder[1] == L':' && separator(2)) || (separator(0) && separator(1));
}

// The PATH's absolute folders: a relative one would let the current folder in.
std::vector<std::wstring> PathFolders() {
    const DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(n, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), n));
    std::vector<std::wstring> folders;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L';', start), path.size());
        std::wstring folder = path.substr(start, end - start);
        if (IsAbsoluteFolder(folder)) folders.push_back(std::move(folder));
        start = end + 1;
    }
    return folders;
}

size_t FileNameStart(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

HMODULE LoadSearching(const std::wstring& file, DWORD flags) {
    if (HMODULE module = LoadLibraryExW(file.c_str(), nullptr, flags)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // A loader without the search flags has no narrowed default either: its
    // standard order already puts the system folders before the PATH.
    return LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

std::wstring SystemFolder(UINT(WINAPI* query)(LPWSTR, UINT)) {
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

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FileNameOf(const std::wstring& path) {
    return path.substr(FileNameStart(path));
}

std::wstring WithDllExtension(const std::wstring& path) {
    return FileNameOf(path).find(L'.') == std::wstring::npos ? path + L".dll" : path;
}

std::wstring LoaderPath(const std::wstring& path) {
    // Making the path full drops a trailing dot, which told the loader that
    // the file has no extension; put it back so ".dll" is not added after all.
    std::wstring full = FullPath(WithDllExtension(path));
    if (FileNameOf(full).find(L'.') == std::wstring::npos) full += L'.';
    return full;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return FolderOf(path.substr(0, n));
        path.resize(path.size() * 2);
    }
}

std::vector<std::wstring> SearchFolders(const std::wstring& first) {
    // The current folder is left out: the program takes it out of its DLL search at start.
    const std::wstring windows = SystemFolder(&GetWindowsDirectoryW);
    std::vector<std::wstring> folders = {first, SystemFolder(&GetSystemDirectoryW), windows + L"\\System",
                                         windows};
    for (std::wstring& folder : PathFolders()) folders.push_back(std::move(folder));
    return folders;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FindInFolders(const std::wstring& name, const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        const std::wstring candidate = folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
        if (IsFile(candidate)) return FullPath(candidate);
    }
    return {};
}

std::wstring FindBareName(const std::wstring& name) {
    return FindInFolders(WithDllExtension(name), SearchFolders(ProgramFolder()));
}

HMODULE LoadServerModule(const std::wstring& file, const std::vector<std::wstring>& needed) {
    // Each is kept for the life of the process, as the server is; one that
    // fails leaves the server's own load to fail and say why.
    for (const std::wstring& dll : needed) LoadSearching(dll, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return LoadSearching(file, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace services
