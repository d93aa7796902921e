// What a file's headers say about it as a program library: whether the loader
// could map it into this 32-bit process and which DLLs its import table names.
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
        OtherMachine,  // a library, but not for 32-bit x86 (a 64-bit one, say)
        X86,           // a 32-bit x86 library this process could load
    };
    Kind kind = Kind::NotPe;
    std::wstring damage;                // for Damaged: what is wrong
    std::vector<std::wstring> imports;  // the DLLs its import table names, in order
};

PeImage ReadPeImage(std::span<const uint8_t> bytes);

}  // namespace services
