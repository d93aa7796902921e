#include "lznt1.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "helper64/packedformat.h"

namespace packer {
namespace {

constexpr size_t kChunk = 4096;
constexpr size_t kMinMatch = 3;
constexpr int kCandidates = 512;  // links of a hash chain tried per position

// A reference at `pos` in its chunk spends more bits on the distance the
// further in it lies; what is left says the length.
struct Split {
    size_t maxOffset;
    size_t maxLength;
    int lengthBits;
};

Split SplitAt(size_t pos) {
    int displacement = 12;
    while (displacement > 4 && (size_t{1} << (displacement - 1)) >= pos) --displacement;
    const int lengthBits = 16 - displacement;
    return {size_t{1} << displacement, (size_t{1} << lengthBits) - 1 + kMinMatch, lengthBits};
}

struct Match {
    size_t length = 0;
    size_t offset = 0;
};

// Hash chains over the three bytes at each position of one chunk.
class Finder {
public:
    Finder(const uint8_t* chunk, size_t size) : data_(chunk), size_(size) { head_.fill(-1); }

    void Insert(size_t pos) {
        if (pos + kMinMatch > size_) return;
        const size_t h = Hash(pos);
        prev_[pos] = head_[h];
        head_[h] = static_cast<int>(pos);
    }

    // The longest earlier match at `pos` (inserted positions only), the nearest of equals.
    Match Longest(size_t pos) const {
        Match best;
        if (pos == 0 || pos + kMinMatch > size_) return best;
        const Split split = SplitAt(pos);
        const size_t limit = std::min(split.maxLength, size_ - pos);
        int tries = kCandidates;
        for (int at = head_[Hash(pos)]; at >= 0 && tries-- > 0; at = prev_[at]) {
            const size_t offset = pos - static_cast<size_t>(at);
            if (offset > split.maxOffset) break;
            size_t n = 0;
            while (n < limit && data_[static_cast<size_t>(at) + n] == data_[pos + n]) ++n;
            if (n > best.length) best = {n, offset};
            if (n == limit) break;
        }
        return best.length >= kMinMatch ? best : Match{};
    }

private:
    size_t Hash(size_t pos) const {
        return ((data_[pos] << 8) ^ (data_[pos + 1] << 4) ^ data_[pos + 2]) & (kChunk - 1);
    }

    const uint8_t* data_;
    size_t size_;
    std::array<int, kChunk> head_;
    std::array<int, kChunk> prev_{};
};

// Groups of eight items, each group led by a byte whose bits say which are references.
class TokenWriter {
public:
    explicit TokenWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Literal(uint8_t byte) {
        Flag(false);
        out_.push_back(byte);
    }
    void Reference(const Match& m, size_t pos) {
        Flag(true);
        const auto code =
            static_cast<uint16_t>(((m.offset - 1) << SplitAt(pos).lengthBits) | (m.length - kMinMatch));
        out_.push_back(static_cast<uint8_t>(code & 0xFF));
        out_.push_back(static_cast<uint8_t>(code >> 8));
    }

private:
    void Flag(bool reference) {
        if (bit_ == 8) {
            flagAt_ = out_.size();
            out_.push_back(0);
            bit_ = 0;
        }
        if (reference) out_[flagAt_] |= static_cast<uint8_t>(1 << bit_);
        ++bit_;
    }

    std::vector<uint8_t>& out_;
    size_t flagAt_ = 0;
    int bit_ = 8;
};

// One chunk's items, greedy with a one-step look-ahead for a longer match.
std::vector<uint8_t> CompressChunk(const uint8_t* chunk, size_t size) {
    std::vector<uint8_t> out;
    TokenWriter writer(out);
    Finder finder(chunk, size);
    for (size_t pos = 0; pos < size;) {
        const Match here = finder.Longest(pos);
        finder.Insert(pos);
        if (here.length == 0 || finder.Longest(pos + 1).length > here.length) {
            writer.Literal(chunk[pos++]);
            continue;
        }
        writer.Reference(here, pos);
        for (size_t end = pos + here.length; ++pos < end;) finder.Insert(pos);
    }
    return out;
}

void PutWord(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> CompressLznt1(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    for (size_t at = 0; at < size; at += kChunk) {
        const size_t length = std::min(kChunk, size - at);
        const std::vector<uint8_t> packed = CompressChunk(data + at, length);
        const bool compressed = packed.size() < length;
        const size_t stored = compressed ? packed.size() : length;
        // Bit 15: compressed; bits 12-14: the signature 3; then the stored size less one.
        PutWord(out, (compressed ? 0xB000u : 0x3000u) | static_cast<uint32_t>(stored - 1), 2);
        if (compressed)
            out.insert(out.end(), packed.begin(), packed.end());
        else
            out.insert(out.end(), data + at, data + at + length);
    }
    return out;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::vector<uint8_t> Pack(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out(packed::kMagic, packed::kMagic + sizeof packed::kMagic);
    PutWord(out, static_cast<uint32_t>(size), 4);
    PutWord(out, Crc32(data, size), 4);
    const std::vector<uint8_t> stream = CompressLznt1(data, size);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

}  // namespace packer
