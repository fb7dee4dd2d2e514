#include "iso_check.h"

#include "byte_fields.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace payload {

namespace {

// Offsets inside a volume descriptor (ECMA-119, 8.4 and 8.5).
constexpr std::size_t kTypeOffset = 0;
constexpr std::size_t kStandardIdOffset = 1;
constexpr std::size_t kVersionOffset = 6;
constexpr std::size_t kVolumeSpaceSizeOffset = 80;
constexpr std::size_t kEscapeSequencesOffset = 88;
constexpr std::size_t kLogicalBlockSizeOffset = 128;

constexpr std::uint8_t kPrimaryType = 1;
constexpr std::uint8_t kSupplementaryType = 2;
constexpr std::string_view kStandardId = "CD001";

// Joliet's UCS-2 levels 1 to 3.
constexpr std::array<std::string_view, 3> kJolietEscapes = {"%/@", "%/C", "%/E"};

std::span<const std::uint8_t> Sector(std::span<const std::uint8_t> image, std::size_t sector) {
    return image.subspan(sector * kSectorSize, kSectorSize);
}

bool HasField(std::span<const std::uint8_t> descriptor, std::size_t offset,
              std::string_view expected) {
    return std::equal(
        expected.begin(), expected.end(), descriptor.begin() + offset,
        [](char wanted, std::uint8_t found) { return static_cast<std::uint8_t>(wanted) == found; });
}

bool IsDescriptor(std::span<const std::uint8_t> descriptor, std::uint8_t type) {
    return descriptor[kTypeOffset] == type &&
           HasField(descriptor, kStandardIdOffset, kStandardId) && descriptor[kVersionOffset] == 1;
}

bool IsJoliet(std::span<const std::uint8_t> descriptor) {
    return IsDescriptor(descriptor, kSupplementaryType) &&
           std::any_of(kJolietEscapes.begin(), kJolietEscapes.end(), [&](std::string_view escape) {
               return HasField(descriptor, kEscapeSequencesOffset, escape);
           });
}

// Sizes are recorded twice, little- then big-endian; both halves must agree.
std::optional<std::string> FindSizeFault(std::span<const std::uint8_t> descriptor, const char* name,
                                         std::size_t sectors) {
    const std::uint16_t blockSize = ReadLittleEndian16(descriptor, kLogicalBlockSizeOffset);
    if (blockSize != ReadBigEndian16(descriptor, kLogicalBlockSizeOffset + 2) ||
        blockSize != kSectorSize) {
        return std::string("the ") + name + " descriptor's logical block size is not 2048 bytes";
    }
    const std::uint32_t spaceSize = ReadLittleEndian32(descriptor, kVolumeSpaceSizeOffset);
    if (spaceSize != ReadBigEndian32(descriptor, kVolumeSpaceSizeOffset + 4)) {
        return std::string("the ") + name +
               " descriptor's volume space size differs between its two byte orders";
    }
    if (spaceSize != sectors) {
        return std::string("the ") + name + " descriptor gives a volume space size of " +
               std::to_string(spaceSize) + " sectors, but the file holds " +
               std::to_string(sectors);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> FindIsoFault(std::span<const std::uint8_t> image) {
    if (image.size() % kSectorSize != 0) {
        return "the file's length of " + std::to_string(image.size()) +
               " bytes is not a whole number of 2048-byte sectors";
    }
    const std::size_t sectors = image.size() / kSectorSize;
    if (sectors <= kJolietDescriptorSector) {
        return "the file ends before its volume descriptors at sectors 16 and 17";
    }
    const auto primary = Sector(image, kPrimaryDescriptorSector);
    if (!IsDescriptor(primary, kPrimaryType)) {
        return std::string("sector 16 holds no primary volume descriptor");
    }
    const auto joliet = Sector(image, kJolietDescriptorSector);
    if (!IsJoliet(joliet)) {
        return std::string("sector 17 holds no Joliet supplementary volume descriptor");
    }
    if (auto fault = FindSizeFault(primary, "primary", sectors)) {
        return fault;
    }
    return FindSizeFault(joliet, "Joliet", sectors);
}

} // namespace payload
