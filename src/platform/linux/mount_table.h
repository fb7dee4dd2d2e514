#pragma once
// The mounts of the process, from the lines of /proc/self/mountinfo.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_backend {

struct Mount {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::string root;       // the directory of the file system that is mounted here
    std::string mountPoint; // octal escapes (\040 for a blank) undone
    std::string fsType;
    std::string source;
};

// One line; nothing when it is not a well-formed mountinfo line.
std::optional<Mount> ParseMountLine(std::string_view line);
// Every well-formed line of the file's text, in order.
std::vector<Mount> ParseMountTable(std::string_view text);

// The mount of the whole volume on device major:minor (its root "/"); of several, the last,
// which hides the others. Nothing when the volume is not mounted.
std::optional<Mount> VolumeMount(const std::vector<Mount>& mounts, std::uint32_t major,
                                 std::uint32_t minor);
// The mount that holds the absolute path: the longest mount point above it, the last of equals.
std::optional<Mount> MountHolding(const std::vector<Mount>& mounts, const std::string& path);

} // namespace platform::linux_backend
