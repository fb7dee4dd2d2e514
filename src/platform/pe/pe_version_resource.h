#pragma once
// Finds the version resource (RT_VERSION) in the bytes of a PE file (an .exe or .dll of 32 or
// 64 bits), as the system's version calls do: PE headers, section table, resource directory.
// The file may come from any device: every offset and length is checked against the file, and a
// malformed file has no version resource.

#include <cstdint>
#include <optional>
#include <span>

namespace platform::pe {

inline constexpr std::uint16_t kRtVersion = 16;

// The resource's bytes inside `file`. Of several version resources the one with id 1 wins, then
// the first; of its languages, neutral (0) wins, then English (1033), then the first.
std::optional<std::span<const std::uint8_t>>
FindVersionResource(std::span<const std::uint8_t> file);

} // namespace platform::pe
