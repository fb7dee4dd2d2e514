#include "crc32.h"

#include <array>

namespace payload {

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < table.size(); ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

} // namespace

// `crc` is a previous result, so that a long input can be taken in pieces.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    crc = ~crc;
    for (const std::uint8_t byte : bytes) {
        crc = kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

} // namespace payload
