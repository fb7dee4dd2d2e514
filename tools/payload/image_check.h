#pragma once
// The whole check of one payload image before it is embedded: the structure its kind demands,
// then the length the build expects of it.

#include "update/payload_catalogue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace payload {

// A catalogue image under the name the build uses for it on the command line.
struct PayloadImage {
    std::string_view name;
    CatalogueEntry entry;
};

inline constexpr PayloadImage kPayloadImages[] = {
    {"main-iso", kMainIso},
    {"migration-iso", kMigrationIso},
    {"migration-kernel", kMigrationKernel},
};

std::optional<PayloadImage> FindPayloadImage(std::string_view name);

// What is wrong with the image, as a phrase for an error message; nothing when it passes.
std::optional<std::string> FindImageFault(const CatalogueEntry& entry,
                                          std::span<const std::uint8_t> image,
                                          std::size_t expectedLength);

} // namespace payload
