#pragma once
// The executable's compiled resource script (a .res file), linked in whole on systems whose
// executables have no resource section of their own. Read in place, never copied.

#include <cstdint>
#include <span>

namespace platform {

// The .res file's bytes, valid and unchanged for the life of the process.
std::span<const std::uint8_t> EmbeddedResources();

} // namespace platform
