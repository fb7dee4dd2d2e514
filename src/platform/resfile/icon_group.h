#pragma once
// An icon group (RT_GROUP_ICON) and its images (RT_ICON) put back together as an icon file
// (.ico), the form image readers take.

#include "platform/resources.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::resfile {

// Nothing when the group is missing or malformed or one of its images is missing.
std::optional<std::vector<std::uint8_t>> BuildIconFile(Resources& resources, std::uint16_t groupId);

} // namespace platform::resfile
