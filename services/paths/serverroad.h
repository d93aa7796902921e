// A server named in the field, resolved once: which file the text stands for,
// as the shell names it and as the loader of its kind opens it, its kind, and
// the road it takes: loaded into this process, or run by the 64-bit helper.
// The kind is read from the file's own header, and the file read is the very
// file that is then registered. Loading, the diagnosis, the road, the
// registry report and the words all take this record.
#pragma once

#include <string>

#include "peimage.h"

namespace services {

enum class Road {
    InProcess,          // a server of this process's kind, or a file the loader itself must judge
    Helper,             // a 64-bit server on 64-bit Windows, from the 32-bit window
    Needs64BitWindows,  // a 64-bit server on 32-bit Windows
};

// Why the text names no file that could be loaded, found before the loader sees it.
enum class ServerFault {
    None,
    NotFound,           // no such file (for a bare name: not where the loader looks)
    Folder,             // the path names a folder
    Device,             // the path names a device
    Malformed,          // no file can have that path
    Needs64BitWindows,  // a 64-bit server on a 32-bit system
};

struct ServerFile {
    std::wstring given;  // the text as the user gave it
    bool bareName = false;
    // The file as the shell names it, and as this process opens it (for its
    // headers, or to load it); on 64-bit Windows they differ in the system folder.
    std::wstring shown;
    std::wstring opened;
    // The file the loader of its kind opens: `opened`, or the helper's own name for it.
    std::wstring loaded;
    PeImage::Kind kind = PeImage::Kind::NotPe;
    Road road = Road::InProcess;
    ServerFault fault = ServerFault::None;
    std::wstring faultDetail;  // for Malformed: what is wrong
};

ServerFile ResolveServer(const std::wstring& given);

// True when this process is a 32-bit one on 64-bit Windows.
bool Is64BitWindows();

// On 64-bit Windows a path into the system folder names, as in the shell, the
// 64-bit system's file; this process reaches it through the folder's alias
// that the file-system redirection leaves alone. Other paths as they are.
std::wstring ShellView(const std::wstring& fullPath);

// The file the 64-bit loader would find for a bare name, in the folders as the
// shell shows them, reached as this process reaches them; empty if none.
std::wstring FindBareName64(const std::wstring& name);

}  // namespace services
