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

    bool operator==(const PeImage&) const = default;
};

// The most a reading gives: a longer import table is damaged, a longer DLL name none.
inline constexpr uint32_t kMostImports = 4096;  // far beyond any real table
inline constexpr size_t kLongestDllName = 260;

// Where the headers are read from: bytes in memory, or a file read a page at
// a time as the reader asks, so that only the parts looked at are read.
class ByteSource {
public:
    virtual uint64_t Size() const = 0;
    // The `count` bytes at `offset`; false when they cannot all be read.
    virtual bool Read(uint64_t offset, uint8_t* into, size_t count) = 0;

protected:
    ~ByteSource() = default;
};

// Without imports, only the headers and the section table are read: the kind.
PeImage ReadPeImage(ByteSource& source, bool withImports = true);
PeImage ReadPeImage(std::span<const uint8_t> bytes);

// The kind of library a process of this build can load.
inline constexpr PeImage::Kind kLoadableKind = sizeof(void*) == 8 ? PeImage::Kind::X64 : PeImage::Kind::X86;

}  // namespace services
