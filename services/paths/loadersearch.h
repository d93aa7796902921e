// Which file the system's loader opens for a path, and where it looks for a
// DLL named without a folder: one answer for loading a server and for
// explaining why it would not load.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace services {

// A folder the system names: &GetSystemDirectoryW, &GetWindowsDirectoryW. Empty on failure.
std::wstring SystemFolder(UINT(WINAPI* query)(LPWSTR, UINT));

std::wstring FullPath(const std::wstring& path);
// Everything before the last separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path);
// The part after the last separator or drive colon: the only place an extension can be.
std::wstring FileNameOf(const std::wstring& path);

// The loader adds ".dll" when the file-name part has no dot at all; a dot in a
// folder's name (C:\Users\john.doe) is no extension.
std::wstring WithDllExtension(const std::wstring& path);

// The full path of the file the loader opens for a path with a folder part,
// spelt so that the loader opens exactly that file.
std::wstring LoaderPath(const std::wstring& path);

std::wstring ProgramFolder();

// Where the loader looks for a DLL named without a folder: `first` (the
// program's folder for a server's bare name, the server's own folder for its
// dependencies), the system folders, the Windows folder, then the PATH.
std::vector<std::wstring> SearchFolders(const std::wstring& first);

// `name` in the first of the folders that holds it as a file; empty if none.
std::wstring FindInFolders(const std::wstring& name, const std::vector<std::wstring>& folders);

// The file a bare server name stands for, found as the loader would; empty if none.
std::wstring FindBareName(const std::wstring& name);

bool IsFile(const std::wstring& path);
bool IsFolder(const std::wstring& path);

// While a server loads and registers, the folders the loader searched before
// the program narrowed its DLL search to the system folder come back: the
// system folders, the Windows folder and the PATH. Nothing planted beside the
// program or in the current folder is among them.
class ServerDllSearch {
public:
    ServerDllSearch();
    ~ServerDllSearch();
    ServerDllSearch(const ServerDllSearch&) = delete;
    ServerDllSearch& operator=(const ServerDllSearch&) = delete;

private:
    std::vector<DLL_DIRECTORY_COOKIE> added_;
};

// Loads a server from the full path of its file, its own folder searched first for its DLLs.
HMODULE LoadServerModule(const std::wstring& file);

}  // namespace services
