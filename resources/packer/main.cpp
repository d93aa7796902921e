// Packs a file for the program to embed: pack IN OUT. Runs on the build machine.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "lznt1.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pack IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return 1;
    const std::vector<uint8_t> packed = packer::Pack(data.data(), data.size());
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
    std::printf("pack: %s %zu -> %zu bytes\n", argv[1], data.size(), packed.size());
    return out.good() ? 0 : 1;
}
