#pragma once
// The firmware images carried as resources of the executable, and the one thing read from them:
// the main image's volume label.

#include "device/vendor_commands.h"

#include <cstdint>
#include <string>

namespace platform {
class Resources;
}

inline constexpr char kIsoImageType[] = "IsoImage";
inline constexpr char kKernelImageType[] = "KERNEL_IMAGE";
inline constexpr std::uint16_t IDR_MAIN_ISO = 133;
inline constexpr std::uint16_t IDR_MIGRATION_ISO = 144;
inline constexpr std::uint16_t IDR_MIGRATION_KERNEL = 143;

struct CatalogueEntry {
    const char* typeName;
    std::uint16_t id;
    std::uint32_t length; // as supplied with this build
    ImageKind kind;
};

inline constexpr CatalogueEntry kMainIso{kIsoImageType, IDR_MAIN_ISO, 4'839'424, IMAGE_ISO};
inline constexpr CatalogueEntry kMigrationIso{kIsoImageType, IDR_MIGRATION_ISO, 184'320, IMAGE_ISO};
inline constexpr CatalogueEntry kMigrationKernel{kKernelImageType, IDR_MIGRATION_KERNEL, 1'877'870,
                                                 IMAGE_KERNEL};

// The volume identifier of the primary volume descriptor: sector 16 plus 40.
inline constexpr std::size_t kVolumeLabelOffset = 32808;
inline constexpr std::size_t kVolumeLabelLength = 32;

// The main image's volume label as stored (blanks kept), up to its first zero byte; empty when
// the image is missing, cannot be loaded or is too short to hold the identifier.
std::string ReadImageLabel(platform::Resources& resources);
