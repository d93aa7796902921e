// How the build stores the 64-bit helper inside the program: this header,
// then an LZNT1 stream, a format the system's own ntdll unpacks
// (RtlDecompressBuffer). The size and CRC-32 let a damaged copy be told
// from the real one. Shared with the build-side packer (resources/packer).
#pragma once

#include <cstdint>

namespace packed {

inline constexpr char kMagic[4] = {'T', 'Z', '0', '1'};
// Larger than any helper will be; a header that says more is damaged.
inline constexpr uint32_t kLargestImage = 64u << 20;

struct Header {
    char magic[4];
    uint32_t size;   // bytes once unpacked, little-endian
    uint32_t crc32;  // of the unpacked bytes (the common CRC-32, as RtlComputeCrc32 with 0)
};
static_assert(sizeof(Header) == 12);

}  // namespace packed
