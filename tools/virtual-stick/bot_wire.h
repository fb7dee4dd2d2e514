#pragma once
// The two wrappers of USB mass storage Bulk-Only Transport: the 31-byte Command Block Wrapper the
// host sends before each command, and the 13-byte Command Status Wrapper the stick sends after it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vstick {

inline constexpr std::size_t kCbwLength = 31;
inline constexpr std::size_t kCswLength = 13;
inline constexpr std::uint32_t kCbwSignature = 0x43425355; // "USBC" on the wire
inline constexpr std::uint32_t kCswSignature = 0x53425355; // "USBS"

enum class CswStatus : std::uint8_t { Passed = 0, Failed = 1, PhaseError = 2 };

struct Cbw {
    std::uint32_t tag = 0;
    std::uint32_t dataLength = 0; // dCBWDataTransferLength
    bool dataIn = false;          // flags bit 7
    std::uint8_t lun = 0;
    std::uint8_t cbLength = 0;         // 1..16
    std::array<std::uint8_t, 16> cb{}; // bytes past cbLength are zero
};

// A CBW is valid when it is exactly 31 bytes with the signature; it is meaningful when, besides,
// its reserved bits are clear and its command block length is 1..16. Anything else: nothing.
std::optional<Cbw> ParseCbw(std::span<const std::uint8_t> bytes);

std::array<std::uint8_t, kCswLength> MakeCsw(std::uint32_t tag, std::uint32_t residue,
                                             CswStatus status);

} // namespace vstick
