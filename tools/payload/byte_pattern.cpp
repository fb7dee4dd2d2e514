#include "byte_pattern.h"

namespace payload {

namespace {

// FNV-1a, to turn the seed text into the generator's starting state.
std::uint64_t HashSeed(std::string_view seed) {
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const char c : seed) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001B3u;
    }
    return hash;
}

// SplitMix64: fixed arithmetic, so the output never depends on the standard library.
std::uint64_t Next(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

} // namespace

void FillPattern(std::span<std::uint8_t> bytes, std::string_view seed) {
    std::uint64_t state = HashSeed(seed);
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        std::uint64_t word = Next(state);
        for (std::size_t j = i; j < bytes.size() && j < i + 8; ++j, word >>= 8) {
            bytes[j] = static_cast<std::uint8_t>(word);
        }
    }
}

} // namespace payload
