// The build's packer against the system's own decompressor: what the packer
// writes unpacks to the same bytes, and a damaged packed image fails cleanly.
#include "helper64/packedimage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "lznt1.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Random(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// Pieces of a small random vocabulary: matches of every length at every distance.
Bytes Phrases(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<Bytes> words;
    for (int i = 0; i < 64; ++i) words.push_back(Random(3 + random() % 60, seed + i + 1));
    Bytes bytes;
    while (bytes.size() < size) {
        const Bytes& word = words[random() % words.size()];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(size);
    return bytes;
}

TEST(PackedImage, WhatThePackerWritesTheSystemUnpacksExactly) {
    struct Case {
        const char* name;
        Bytes data;
        double largestShare;  // packed size against the input's
    } cases[] = {
        {"one byte", Bytes{0x4D}, 16.0},
        {"a chunk of zeros less one", Bytes(4095), 0.05},
        {"a chunk of zeros", Bytes(4096), 0.05},
        {"a chunk of zeros and one byte", Bytes(4097), 0.05},
        {"100 KB of zeros", Bytes(100000), 0.02},
        {"random bytes, stored as they are", Random(10000, 1), 1.01},
        {"phrases", Phrases(50000, 2), 0.8},
        {"phrases across many chunks", Phrases(300001, 3), 0.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes packed = packer::Pack(c.data.data(), c.data.size());
        EXPECT_LE(static_cast<double>(packed.size()), c.largestShare * static_cast<double>(c.data.size()));
        Bytes unpacked;
        ASSERT_EQ(services::UnpackImage(packed, unpacked), 0u);
        EXPECT_TRUE(unpacked == c.data);
    }
}

TEST(PackedImage, ADamagedImageIsRefusedWithoutHarm) {
    const Bytes data = Phrases(20000, 4);
    const Bytes good = packer::Pack(data.data(), data.size());
    const auto damaged = [&good](auto&& change) {
        Bytes bytes = good;
        change(bytes);
        return bytes;
    };
    const auto setWord = [](Bytes& b, size_t at, uint32_t value) { std::memcpy(b.data() + at, &value, 4); };
    struct Case {
        const char* name;
        Bytes packed;
    } cases[] = {
        {"nothing", {}},
        {"the header alone", Bytes(good.begin(), good.begin() + 12)},
        {"half the stream", Bytes(good.begin(), good.begin() + good.size() / 2)},
        {"one byte flipped in the stream", damaged([](Bytes& b) { b[b.size() / 2] ^= 0x20; })},
        {"a chunk header flipped", damaged([](Bytes& b) { b[13] ^= 0x0F; })},
        {"another magic", damaged([](Bytes& b) { b[0] = 'M'; })},
        {"a size one larger",
         damaged([&](Bytes& b) { setWord(b, 4, static_cast<uint32_t>(data.size() + 1)); })},
        {"a size one smaller",
         damaged([&](Bytes& b) { setWord(b, 4, static_cast<uint32_t>(data.size() - 1)); })},
        {"a size of nothing", damaged([&](Bytes& b) { setWord(b, 4, 0); })},
        {"a size beyond any helper", damaged([&](Bytes& b) { setWord(b, 4, 0xFFFFFFF0u); })},
        {"another checksum", damaged([](Bytes& b) { b[8] ^= 1; })},
        {"references before the start",
         damaged([](Bytes& b) { std::memset(b.data() + 14, 0xFF, std::min<size_t>(64, b.size() - 14)); })},
    };
    for (const Case& c : cases) {
        Bytes unpacked{1, 2, 3};
        EXPECT_EQ(services::UnpackImage(c.packed, unpacked), static_cast<DWORD>(ERROR_INVALID_DATA))
            << c.name;
        EXPECT_TRUE(unpacked.empty()) << c.name;
    }
}

}  // namespace
