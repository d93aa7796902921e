#include "packedimage.h"

#include <cstring>

#include "packedformat.h"

namespace services {
namespace {

constexpr USHORT kLznt1 = 2;  // COMPRESSION_FORMAT_LZNT1

using DecompressFn = LONG(NTAPI*)(USHORT, UCHAR*, ULONG, UCHAR*, ULONG, ULONG*);
using Crc32Fn = DWORD(NTAPI*)(DWORD, const BYTE*, INT);

template <class Fn>
Fn FromNtdll(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

}  // namespace

DWORD UnpackImage(std::span<const uint8_t> packed, std::vector<uint8_t>& image) {
    image.clear();
    const auto decompress = FromNtdll<DecompressFn>("RtlDecompressBuffer");
    const auto crc32 = FromNtdll<Crc32Fn>("RtlComputeCrc32");
    if (!decompress || !crc32) return ERROR_PROC_NOT_FOUND;
    packed::Header header{};
    if (packed.size() <= sizeof header) return ERROR_INVALID_DATA;
    std::memcpy(&header, packed.data(), sizeof header);
    if (std::memcmp(header.magic, packed::kMagic, sizeof header.magic) != 0 || header.size == 0 ||
        header.size > packed::kLargestImage)
        return ERROR_INVALID_DATA;
    image.resize(header.size);
    // The system reads the stream only; its signature takes it as writable.
    auto* stream = const_cast<UCHAR*>(packed.data() + sizeof header);
    ULONG unpacked = 0;
    const LONG status = decompress(kLznt1, image.data(), header.size, stream,
                                   static_cast<ULONG>(packed.size() - sizeof header), &unpacked);
    if (status < 0 || unpacked != header.size ||
        crc32(0, image.data(), static_cast<INT>(image.size())) != header.crc32) {
        image.clear();
        return ERROR_INVALID_DATA;
    }
    return 0;
}

}  // namespace services
