// The build side of the packed helper: an LZNT1 compressor (the system only
// unpacks), and the packed form with its header (packedformat.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace packer {

// The LZNT1 stream of `data`: chunks of 4,096 bytes, each stored compressed
// or as it is, whichever is smaller.
std::vector<uint8_t> CompressLznt1(const uint8_t* data, size_t size);

// The common CRC-32 (reflected 0xEDB88320, all ones in and out).
uint32_t Crc32(const uint8_t* data, size_t size);

// The header and the stream, as the program embeds them.
std::vector<uint8_t> Pack(const uint8_t* data, size_t size);

}  // namespace packer
