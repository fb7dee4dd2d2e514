#pragma once
// Stand-in firmware images: deterministic pseudo-random bytes of the catalogue's lengths. An
// image with a label carries an ISO 9660 primary volume descriptor mark at sector 16 and the
// label as its volume identifier, the one field the tool reads from an image.

#include "platform/sim/scenario.h"

#include <cstdint>
#include <vector>

namespace sim {

inline constexpr std::size_t kVolumeDescriptorOffset = 16 * 2048;
inline constexpr std::size_t kVolumeLabelOffset = kVolumeDescriptorOffset + 40;
inline constexpr std::size_t kVolumeLabelLength = 32;

// The bytes of `resource`: the same for the same length and seed, different for other seeds.
// The label, filled up with blanks to 32 bytes, is written as far as the image reaches.
std::vector<std::uint8_t> SynthesizeImage(const ResourceSpec& resource);

} // namespace sim
