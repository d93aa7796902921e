// Which road a server file takes: loaded into this 32-bit process, or run by
// the 64-bit helper. The kind is read from the file's own header, and the
// file read is the very file that is then registered.
#pragma once

#include <string>

namespace services {

enum class Road {
    InProcess,          // a 32-bit server, or a path the loader itself must judge
    Helper,             // a 64-bit server on 64-bit Windows
    Needs64BitWindows,  // a 64-bit server on 32-bit Windows
};

struct ServerRoad {
    Road road = Road::InProcess;
    std::wstring file;  // what to load or hand to the helper
};

// True when this process is a 32-bit one on 64-bit Windows.
bool Is64BitWindows();

// On 64-bit Windows a path into the system folder names, as in the shell, the
// 64-bit system's file; this process reaches it through the folder's alias
// that the file-system redirection leaves alone. Other paths as they are.
std::wstring ShellView(const std::wstring& fullPath);

ServerRoad ChooseRoad(const std::wstring& path);

// The file the 64-bit loader would find for a bare name, in the folders as the
// shell shows them, reached as this process reaches them; empty if none.
std::wstring FindBareName64(const std::wstring& name);

}  // namespace services
