// Which file a path leads to, told by the file system rather than by the
// path's spelling: two paths name the same file exactly when their files
// share a volume and a file index.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace services {

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    DWORD links = 1;  // how many names the file has in its volume (hard links)
    // What tells one content of the file from another: its size and last write.
    ULONGLONG size = 0;
    ULONGLONG written = 0;
    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
};

// The identity of the file at `path`, read through a handle that asks for no
// access and shares everything; nullopt when nothing can be opened there. A
// device name or a path no file can have is never opened.
std::optional<FileIdentity> IdentityOf(const std::wstring& path);

// True for a path on another machine (a share, or a drive mapped to one):
// opening it waits on the network, for a minute when its host is gone.
bool IsRemotePath(const std::wstring& path);

}  // namespace services
