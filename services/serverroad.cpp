#include "serverroad.h"

#include <windows.h>

#include "loaddiagnosis.h"
#include "loadersearch.h"
#include "peimage.h"
#include "serverpath.h"

namespace services {
namespace {

std::wstring Alias() {
    return SystemFolder(&GetWindowsDirectoryW) + L"\\Sysnative";
}

// The folder itself, or anything in it.
bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
    return !folder.empty() && path.size() >= folder.size() &&
           (path.size() == folder.size() || path[folder.size()] == L'\\' || path[folder.size()] == L'/') &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

// What the 64-bit helper calls the file: the system folder is its own, without the alias.
std::wstring HelperView(const std::wstring& path) {
    const std::wstring alias = Alias();
    return StartsWithFolder(path, alias) ? SystemFolder(&GetSystemDirectoryW) + path.substr(alias.size())
                                         : path;
}

ServerRoad BareNameRoad(const std::wstring& name) {
    const ServerRoad asGiven{Road::InProcess, name};
    // A 32-bit server of that name keeps the road it always had.
    const std::wstring file32 = FindBareName(name);
    const PeImage::Kind kind32 = file32.empty() ? PeImage::Kind::NotPe : LibraryKind(file32);
    if (kind32 == PeImage::Kind::X86) return asGiven;
    if (!Is64BitWindows())
        return kind32 == PeImage::Kind::X64 ? ServerRoad{Road::Needs64BitWindows, file32} : asGiven;
    const std::wstring file64 = FindBareName64(name);
    if (!file64.empty() && LibraryKind(file64) == PeImage::Kind::X64)
        return {Road::Helper, HelperView(file64)};
    return asGiven;
}

}  // namespace

std::wstring FindBareName64(const std::wstring& name) {
    std::vector<std::wstring> folders = SearchFolders(ProgramFolder());
    for (std::wstring& folder : folders)
        if (!folder.empty()) folder = ShellView(FullPath(folder));
    return FindInFolders(WithDllExtension(name), folders);
}

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
    const std::wstring system = SystemFolder(&GetSystemDirectoryW);
    if (!StartsWithFolder(fullPath, system)) return fullPath;
    return Alias() + fullPath.substr(system.size());
}

ServerRoad ChooseRoad(const std::wstring& path) {
    const ServerRoad asGiven{Road::InProcess, path};
    if (CheckPathForm(path).Fault != PathFault::None) return asGiven;
    if (IsBareName(path)) return BareNameRoad(path);
    const std::wstring file = ShellView(LoaderPath(path));
    if (!IsFile(file)) return asGiven;
    switch (LibraryKind(file)) {
        case PeImage::Kind::X64:
            return {Is64BitWindows() ? Road::Helper : Road::Needs64BitWindows, HelperView(file)};
        case PeImage::Kind::X86:
            // Loaded by the alias, the very file the shell shows is the one loaded.
            return file == LoaderPath(path) ? asGiven : ServerRoad{Road::InProcess, file};
        default:
            return asGiven;
    }
}

}  // namespace services
