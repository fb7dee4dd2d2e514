#pragma once
// Reproducible filler for the stand-in images: bytes that look random, so that a chunk sent
// twice or out of order changes what arrives, yet are the same on every machine for a seed.

#include <cstdint>
#include <span>
#include <string_view>

namespace payload {

void FillPattern(std::span<std::uint8_t> bytes, std::string_view seed);

} // namespace payload
