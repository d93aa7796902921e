// Why a server file cannot be registered, as far as a look at the text and
// the files tells before the loader's own code does: one answer for the
// path's form, the resolution of the file and the look through its imports.
#pragma once

namespace services {

enum class ServerFault {
    None,               // nothing found: the file looks loadable, or only the loader's code tells
    NotFound,           // no such file (for a bare name: not where the loader looks)
    Folder,             // the path names a folder
    Device,             // the path names a device
    Malformed,          // no file can have that path
    Needs64BitWindows,  // a 64-bit server on a 32-bit system
    NotPe,              // the file is not a program library
    OtherMachine,       // a library for another processor (a 64-bit one, say)
    Damaged,            // a library whose headers are damaged
    MissingDll,         // a DLL that it needs, directly or through others, is nowhere; kept last
};

}  // namespace services
