#pragma once
// Little-endian fields read from untrusted bytes: every read says whether it fits.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace platform::pe {

// True when `length` bytes from `offset` lie inside `bytes`, without overflow.
inline bool Fits(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t length) {
    return offset <= bytes.size() && bytes.size() - offset >= length;
}

inline std::optional<std::uint16_t> ReadU16(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
    if (!Fits(bytes, offset, 2)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline std::optional<std::uint32_t> ReadU32(std::span<const std::uint8_t> bytes,
                                            std::size_t offset) {
    const auto low = ReadU16(bytes, offset);
    const auto high = offset <= SIZE_MAX - 2 ? ReadU16(bytes, offset + 2) : std::nullopt;
    if (!low || !high) {
        return std::nullopt;
    }
    return std::uint32_t{*low} | std::uint32_t{*high} << 16;
}

// Rounds up to the next multiple of four; nothing when that would overflow.
inline std::optional<std::size_t> AlignUp4(std::size_t offset) {
    if (offset > SIZE_MAX - 3) {
        return std::nullopt;
    }
    return (offset + 3) & ~std::size_t{3};
}

} // namespace platform::pe
