#pragma once
// The structure every ISO image of the payload must have before it may be embedded: a primary
// volume descriptor at sector 16, a Joliet supplementary one at sector 17, and a volume space
// size in both that covers exactly the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace payload {

inline constexpr std::size_t kSectorSize = 2048;
inline constexpr std::size_t kPrimaryDescriptorSector = 16;
inline constexpr std::size_t kJolietDescriptorSector = 17;

// What is wrong with the image, as a phrase for an error message; nothing when it passes.
std::optional<std::string> FindIsoFault(std::span<const std::uint8_t> image);

} // namespace payload
