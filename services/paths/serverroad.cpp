#include "serverroad.h"

#include <windows.h>

#include <iterator>

#include "image/peread.h"
#include "loadersearch.h"
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

// The file this process opens, its headers read once: every later step takes them from the record.
void Open(ServerFile& server, const std::wstring& file, std::optional<PeImage> image) {
    server.opened = file;
    server.image = std::move(image);
    server.kind = server.image ? server.image->kind : PeImage::Kind::NotPe;
}

void Open(ServerFile& server, const std::wstring& file) {
    Open(server, file, ReadPeFile(file));
}

// The loader of this process's kind opens the file; a 64-bit one on a 32-bit
// process's system goes to the helper, which names the system folder as its own.
void TakeRoad(ServerFile& server) {
    if (server.kind == PeImage::Kind::X64 && server.kind != kLoadableKind) {
        server.shown = server.loaded = HelperView(server.opened);
        if (Is64BitWindows()) {
            server.road = Road::Helper;
        } else {
            server.road = Road::Needs64BitWindows;
            server.fault = ServerFault::Needs64BitWindows;
        }
    }
}

void ResolveBareName(ServerFile& server) {
    const std::wstring& name = server.given;
    // A bare name stands for the module of that name already loaded.
    if (HMODULE loaded = GetModuleHandleW(name.c_str())) {
        wchar_t path[MAX_PATH * 2] = {};
        const DWORD n = GetModuleFileNameW(loaded, path, static_cast<DWORD>(std::size(path)));
        if (n > 0 && n < std::size(path)) {
            server.shown = server.opened = server.loaded = path;
            server.kind = kLoadableKind;
            return;
        }
    }
    // A server of this process's kind of that name keeps the road it always had.
    server.opened = server.shown = server.loaded = FindBareName(name);
    if (!server.opened.empty()) {
        Open(server, server.opened);
        TakeRoad(server);
        if (server.kind == kLoadableKind || server.road == Road::Needs64BitWindows) return;
    }
    const std::wstring file64 = Is64BitWindows() ? FindBareName64(name) : std::wstring();
    std::optional<PeImage> image64 = file64.empty()            ? std::nullopt
                                     : file64 == server.opened ? server.image
                                                               : ReadPeFile(file64);
    if (image64 && image64->kind == PeImage::Kind::X64) {
        Open(server, file64, std::move(image64));
        server.road = Road::InProcess;
        TakeRoad(server);
        return;
    }
    if (server.opened.empty()) {
        server.fault = ServerFault::NotFound;
    } else if (server.road == Road::Helper) {
        // Only the 64-bit folders' copy counts for the helper: none there, the loader here judges.
        server.road = Road::InProcess;
        server.shown = server.loaded = server.opened;
    }
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

ServerFile ResolveServer(const std::wstring& given) {
    ServerFile server;
    server.given = given;
    if (given.empty()) {
        server.bareName = true;
        server.fault = ServerFault::NotFound;
        return server;
    }
    const PathCheck form = CheckPathForm(given);
    if (form.Fault != ServerFault::None) {
        server.fault = form.Fault;
        server.faultDetail = form.Detail;
        return server;
    }
    server.bareName = IsBareName(given);
    if (server.bareName) {
        ResolveBareName(server);
        return server;
    }
    // The loader judges a path that names no file: its code is the one the user reads.
    const std::wstring loader = LoaderPath(given);
    server.shown = server.opened = server.loaded = loader;
    const std::wstring file = ShellView(loader);
    if (!IsFile(file)) {
        // Only this process's view has it: the loader judges that file.
        if (IsFile(loader))
            server.image = ReadPeFile(loader);
        else
            server.fault = IsFolder(FullPath(given)) ? ServerFault::Folder : ServerFault::NotFound;
        return server;
    }
    Open(server, file);
    // Loaded by the alias, the very file the shell shows is the one loaded; a
    // file of no loadable kind is left to the loader at the path given.
    if (server.kind == kLoadableKind) {
        server.loaded = file;
        return server;
    }
    TakeRoad(server);
    if (server.road == Road::InProcess && loader != file) {
        server.opened = loader;
        server.image = ReadPeFile(loader);
    }
    return server;
}

ServerFiles ResolveServers(const std::vector<std::wstring>& paths) {
    auto files = std::make_shared<std::vector<ServerFile>>();
    for (const std::wstring& path : paths) files->push_back(ResolveServer(path));
    return files;
}

ServerFile HelperRecord(const ServerFile& server) {
    ServerFile helper;
    helper.given = helper.shown = helper.opened = helper.loaded = server.loaded;
    helper.kind = server.kind;
    helper.image = server.image;
    return helper;
}

}  // namespace services
