// Why the loader would not load a server: looked for the way the loader looks,
// through the file's import table and those of the DLLs it needs.
#pragma once

#include <string>
#include <vector>

#include "peimage.h"
#include "serverroad.h"

namespace services {

struct LoadProblem {
    enum class Kind {
        Unknown,       // nothing the files show; only the loader's code tells
        NotFound,      // no such file (for a bare name: not where the loader looks)
        Folder,        // the path names a folder
        Device,        // the path names a device
        Malformed,     // no file can have that path
        NotPe,         // the file is not a program library
        OtherMachine,  // a library for another processor (a 64-bit one, say)
        Damaged,       // a library whose headers are damaged
        MissingDll,    // a DLL that it needs, directly or through others, is nowhere
    };
    Kind kind = Kind::Unknown;
    std::wstring detail;  // Malformed, Damaged: what is wrong
    // The DLLs from the server's own import down to the one at fault; empty
    // when the fault is the server's own. A wrong-kind DLL on the way is
    // reported with NotPe, OtherMachine or Damaged and a non-empty chain.
    std::vector<std::wstring> chain;
};

// Looks at the server's file and at the DLLs it imports, recursively, its own
// folder searched first; the first fault found.
LoadProblem ExplainLoadFailure(const ServerFile& server);

// The DLLs the server at `file` needs, directly or through others, that lie
// outside the system folder, found where the standard order finds them (its
// own folder, the system folders, the Windows folder, the PATH), each after
// those it needs; none once a fault is met on the way.
std::vector<std::wstring> NeededOutsideSystem(const std::wstring& file);

// What the file's headers say, its imports left unread; NotPe when it cannot be read.
PeImage ReadLibrary(const std::wstring& file);
// The kind of library the file is, read from its headers; NotPe when it cannot be read.
PeImage::Kind LibraryKind(const std::wstring& file);

}  // namespace services
