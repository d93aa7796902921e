#include "peimage.h"

#include <algorithm>
#include <optional>

namespace services {
namespace {

constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kComDescriptorDirectory = 14;
constexpr uint32_t kMostSections = 96;  // the loader refuses more

// Little-endian reads that fail, rather than read past the end.
class Bytes {
public:
    explicit Bytes(ByteSource& source) : source_(source) {}
    uint64_t Size() const { return source_.Size(); }
    bool Has(uint64_t offset, uint64_t count) const { return offset <= Size() && count <= Size() - offset; }
    std::optional<uint32_t> U32(uint64_t offset) const { return Read(offset, 4); }
    std::optional<uint16_t> U16(uint64_t offset) const {
        const auto v = Read(offset, 2);
        return v ? std::optional<uint16_t>(static_cast<uint16_t>(*v)) : std::nullopt;
    }
    // For what Has has vouched for: a read that fails reads as 0.
    uint32_t Word32(uint64_t offset) const { return U32(offset).value_or(0); }
    uint16_t Word16(uint64_t offset) const { return U16(offset).value_or(0); }
    std::optional<uint8_t> At(uint64_t offset) const {
        const auto v = Read(offset, 1);
        return v ? std::optional<uint8_t>(static_cast<uint8_t>(*v)) : std::nullopt;
    }

private:
    std::optional<uint32_t> Read(uint64_t offset, int count) const {
        uint8_t bytes[4] = {};
        if (!Has(offset, static_cast<uint64_t>(count)) ||
            !source_.Read(offset, bytes, static_cast<size_t>(count)))
            return std::nullopt;
        uint32_t v = 0;
        for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
        return v;
    }
    ByteSource& source_;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, uint8_t* into, size_t count) override {
        std::copy_n(bytes_.begin() + static_cast<ptrdiff_t>(offset), count, into);
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
};

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

// Where an address of the mapped image lies in the file, if it lies in it at all.
std::optional<uint64_t> FileOffset(const Bytes& file, uint32_t rva, uint32_t headerSize,
                                   const std::vector<Section>& sections) {
    if (rva < headerSize) return file.Has(rva, 1) ? std::optional<uint64_t>(rva) : std::nullopt;
    for (const Section& s : sections) {
        const uint64_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
        const uint32_t into = rva - s.virtualAddress;
        if (into >= s.rawSize) return std::nullopt;  // zero-filled memory, not in the file
        const uint64_t offset = static_cast<uint64_t>(s.rawOffset) + into;
        return file.Has(offset, 1) ? std::optional<uint64_t>(offset) : std::nullopt;
    }
    return std::nullopt;
}

PeImage Damaged(const wchar_t* what) {
    PeImage image;
    image.kind = PeImage::Kind::Damaged;
    image.damage = what;
    return image;
}

std::optional<std::wstring> DllName(const Bytes& file, uint64_t offset) {
    std::wstring name;
    for (uint64_t at = offset;; ++at) {
        const auto read = file.At(at);
        if (!read) return std::nullopt;
        const uint8_t c = *read;
        if (c == 0) return name.empty() ? std::nullopt : std::optional<std::wstring>(name);
        if (c < 32 || c > 126 || name.size() == kLongestDllName) return std::nullopt;
        name += static_cast<wchar_t>(c);
    }
}

}  // namespace

PeImage ReadPeImage(std::span<const uint8_t> bytes) {
    MemorySource source(bytes);
    return ReadPeImage(source);
}

PeImage ReadPeImage(ByteSource& source, bool withImports) {
    const Bytes file(source);
    if (file.U16(0) != 0x5A4D) return {};  // "MZ"
    const auto peOffset = file.U32(0x3C);
    if (!peOffset || !file.Has(*peOffset, 24)) return Damaged(L"its headers lie beyond its end");
    if (file.U32(*peOffset) != 0x00004550) return {};  // "PE\0\0": an old program, not a library
    const uint64_t header = *peOffset + 4;
    const uint16_t machine = file.Word16(header);
    const uint16_t sectionCount = file.Word16(header + 2);
    const uint16_t optionalSize = file.Word16(header + 16);
    const uint64_t optional = header + 20;
    const auto magic = file.U16(optional);
    if (!magic || !file.Has(optional, optionalSize)) return Damaged(L"its headers lie beyond its end");
    const bool x86 = *magic == kMagicPe32 && machine == kMachineI386;
    const bool x64 = *magic == kMagicPe32Plus && machine == kMachineAmd64;
    if (!x86 && !x64) {
        PeImage image;
        image.kind = PeImage::Kind::OtherMachine;
        return image;
    }
    // The 64-bit optional header is 16 bytes longer before its data directories.
    const uint32_t directories = x64 ? 112 : 96;
    const auto headerSize = file.U32(optional + 60);
    const auto directoryCount = file.U32(optional + directories - 4);
    if (!headerSize || !directoryCount || optionalSize < directories)
        return Damaged(L"its headers are cut short");
    // A directory's address, when the headers have room for it; 0 when absent.
    const auto directory = [&](uint32_t index) {
        return *directoryCount > index && optionalSize >= directories + 8 * (index + 1)
                   ? file.Word32(optional + directories + 8 * index)
                   : 0u;
    };
    const uint32_t importRva = directory(kImportDirectory);

    const uint64_t table = optional + optionalSize;
    if (sectionCount > kMostSections || !file.Has(table, 40ull * sectionCount))
        return Damaged(L"its section table lies beyond its end");
    std::vector<Section> sections;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t s = table + 40ull * i;
        sections.push_back(
            {file.Word32(s + 12), file.Word32(s + 8), file.Word32(s + 16), file.Word32(s + 20)});
    }

    PeImage image;
    image.kind = x64 ? PeImage::Kind::X64 : PeImage::Kind::X86;
    image.clr = directory(kComDescriptorDirectory) != 0;
    if (!withImports) return image;
    for (uint32_t i = 0; importRva != 0; ++i) {
        if (i == kMostImports) return Damaged(L"its import table has no end");
        const auto entry = FileOffset(file, importRva + 20 * i, *headerSize, sections);
        if (!entry || !file.Has(*entry, 20)) return Damaged(L"its import table lies beyond its end");
        const uint32_t nameRva = file.Word32(*entry + 12);
        const uint32_t thunks = file.Word32(*entry + 16);
        if (nameRva == 0 && thunks == 0) break;
        const auto nameOffset = FileOffset(file, nameRva, *headerSize, sections);
        const auto name = nameOffset ? DllName(file, *nameOffset) : std::nullopt;
        if (!name) return Damaged(L"its import table names a DLL that is not there");
        image.imports.push_back(*name);
    }
    return image;
}

}  // namespace services
