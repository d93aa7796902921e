// What a file's headers say about it as a program library: which processor it
// is for (a 32-bit or a 64-bit process), which DLLs its import table names and
// whether it is a .NET assembly.
// Every offset is checked against the file's size, so a damaged or hostile
// file gives an answer, never a fault.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace services {

struct PeImage {
    enum class Kind {
        NotPe,         // no program-library headers at all
        Damaged,       // headers that point outside the file or make no sense
        OtherMachine,  // a library for neither x86 nor x64 (ARM, Itanium, ...)
        X86,           // a 32-bit x86 library
        X64,           // a 64-bit x64 library
    };
    Kind kind = Kind::NotPe;
    std::wstring damage;                // for Damaged: what is wrong
    std::vector<std::wstring> imports;  // the DLLs its import table names, in order
    bool clr = false;                   // a .NET assembly: its COM descriptor (CLR header) directory is set
};

PeImage ReadPeImage(std::span<const uint8_t> bytes);

// The kind of library a process of this build can load.
inline constexpr PeImage::Kind kLoadableKind = sizeof(void*) == 8 ? PeImage::Kind::X64 : PeImage::Kind::X86;

}  // namespace services
