// The 64-bit helper as the program carries it, packed by the build
// (packedformat.h), unpacked by the system's own decompressor.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

namespace services {

// The unpacked bytes of `packed` into `image`; 0, or ERROR_INVALID_DATA for
// anything but a whole, undamaged packed image (`image` is then empty), or
// the system's error when it has no decompressor.
DWORD UnpackImage(std::span<const uint8_t> packed, std::vector<uint8_t>& image);

}  // namespace services
