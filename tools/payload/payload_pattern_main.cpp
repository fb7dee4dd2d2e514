// payload-pattern <length> <seed> <output file>
//
// Writes <length> bytes of the reproducible filler pattern for <seed>; the stand-in images use
// it for their bulk content.

#include "byte_pattern.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    std::size_t length = 0;
    const std::string_view lengthText = argc == 4 ? argv[1] : "";
    const auto [end, error] =
        std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
    if (argc != 4 || error != std::errc() || end != lengthText.data() + lengthText.size()) {
        std::fprintf(stderr, "usage: payload-pattern <length> <seed> <output file>\n");
        return 2;
    }
    std::vector<std::uint8_t> bytes(length);
    payload::FillPattern(bytes, argv[2]);
    std::ofstream file(argv[3], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) {
        std::fprintf(stderr, "payload-pattern: %s: the file cannot be written.\n", argv[3]);
        return 1;
    }
    return 0;
}
