#pragma once
// The structure the kernel image of the payload must have before it may be embedded: a legacy
// U-Boot image whose header and data checksums and data length are right.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace payload {

inline constexpr std::size_t kUBootHeaderSize = 64;
inline constexpr std::uint32_t kUBootMagic = 0x27051956;

// Offsets of the big-endian header fields that the check reads.
inline constexpr std::size_t kUBootMagicOffset = 0;
inline constexpr std::size_t kUBootHeaderCrcOffset = 4;
inline constexpr std::size_t kUBootDataSizeOffset = 12;
inline constexpr std::size_t kUBootDataCrcOffset = 24;

// What is wrong with the image, as a phrase for an error message; nothing when it passes.
std::optional<std::string> FindKernelFault(std::span<const std::uint8_t> image);

} // namespace payload
