// Reading, patching and writing program files byte by byte, for tests that
// need a library with headers of their own making.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testkit {

inline std::vector<uint8_t> FileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

inline void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Where the optional header of a 32-bit or 64-bit image begins.
inline size_t OptionalHeaderAt(const std::vector<uint8_t>& bytes) {
    return GetU32(bytes, 0x3C) + 24;
}

// Where data directory `index` (its address, then its size) lies in the headers.
inline size_t DataDirectoryAt(const std::vector<uint8_t>& bytes, int index) {
    const size_t optional = OptionalHeaderAt(bytes);
    const bool pe32Plus = bytes[optional] == 0x0B && bytes[optional + 1] == 0x02;
    return optional + (pe32Plus ? 112 : 96) + 8 * index;
}

// A copy of `dll` at `copy` whose COM descriptor directory (the CLR header of
// a .NET assembly) is set. It points at the zeros that pad the headers, so no
// loader takes the library for IL alone: it still loads as native code.
inline bool DotNetCopy(const std::wstring& dll, const std::wstring& copy) {
    std::vector<uint8_t> bytes = FileBytes(dll);
    if (bytes.size() < 0x400) return false;
    const uint32_t headers = GetU32(bytes, OptionalHeaderAt(bytes) + 60);
    PutU32(bytes, DataDirectoryAt(bytes, 14), headers - 72);
    PutU32(bytes, DataDirectoryAt(bytes, 14) + 4, 72);
    WriteBytes(copy, bytes);
    return true;
}

}  // namespace testkit
