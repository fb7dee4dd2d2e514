#pragma once
// Reading one file of an ISO 9660 volume without mounting it, through libiso9660: from a CD-ROM
// device node or an image file alike. Joliet names are used where the volume has them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::linux_backend {

// The file found by its names below the root, compared without regard to ASCII case; nothing
// when the volume cannot be read, the file is missing, is a folder, or is longer than `limit`.
std::optional<std::vector<std::uint8_t>> ReadIsoFile(const std::string& source,
                                                     const std::vector<std::string>& components,
                                                     std::size_t limit);

} // namespace platform::linux_backend
