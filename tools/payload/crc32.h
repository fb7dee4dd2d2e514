#pragma once
// The CRC-32 of zlib and of U-Boot's image headers (reflected polynomial EDB88320h).

#include <cstdint>
#include <span>

namespace payload {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace payload
