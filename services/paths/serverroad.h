// A server named in the field, resolved once: which file the text stands for,
// as the shell names it and as the loader of its kind opens it, its kind, and
// the road it takes: loaded into this process, or run by the 64-bit helper.
// The kind is read from the file's own headers, once, and the file read is
// the very file that is then registered. Loading, the diagnosis, the road,
// the registry report and the words all take this record.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/peimage.h"
#include "serverfault.h"

namespace services {

enum class Road {
    InProcess,          // a server of this process's kind, or a file the loader itself must judge
    Helper,             // a 64-bit server on 64-bit Windows, from the 32-bit window
    Needs64BitWindows,  // a 64-bit server on 32-bit Windows
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
    // Found before the loader sees it: NotFound, Folder, Device, Malformed or Needs64BitWindows.
    ServerFault fault = ServerFault::None;
    std::wstring faultDetail;  // for Malformed: what is wrong
    // The headers of `opened`, its import table included, read as it was
    // resolved; nullopt when it could not be read, or is loaded already.
    std::optional<PeImage> image;

    bool operator==(const ServerFile&) const = default;
};

ServerFile ResolveServer(const std::wstring& given);

// The files a text names, each resolved once; shared as they are by whoever reads them.
using ServerFiles = std::shared_ptr<const std::vector<ServerFile>>;
ServerFiles ResolveServers(const std::vector<std::wstring>& paths);

// A 64-bit server's record as the 64-bit helper takes it: in its own process,
// by the name its loader opens, the headers already read.
ServerFile HelperRecord(const ServerFile& server);

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
