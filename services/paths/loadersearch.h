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

// Where the loader's standard order looks for a DLL named without a folder:
// `first` (the program's folder for a server's bare name, the server's own
// folder for its dependencies), the system folders, the Windows folder, then
// the PATH's absolute folders.
std::vector<std::wstring> SearchFolders(const std::wstring& first);

// `name` in the first of the folders that holds it as a file; empty if none.
std::wstring FindInFolders(const std::wstring& name, const std::vector<std::wstring>& folders);

// The file a bare server name stands for, found as the loader would; empty if none.
std::wstring FindBareName(const std::wstring& name);

bool IsFile(const std::wstring& path);
bool IsFolder(const std::wstring& path);

// Loads a server from the full path of its file, its DLLs searched for in
// its own folder and then the system folder only: nothing is added to the
// search of the whole process, where other threads load libraries too.
// `needed` (full paths, each before what needs it) are loaded first, from
// the system folder alone, so that the server binds to them by name: what
// the standard order finds after the system folders (the Windows folder,
// the PATH) still comes from where it found it, and only after them.
HMODULE LoadServerModule(const std::wstring& file, const std::vector<std::wstring>& needed = {});

}  // namespace services
