#pragma once
// Reads the entries of a compiled resource file (.res), as windres and rc.exe write it: a
// 32-byte empty entry, then one entry per resource, each a header and its data, both aligned
// to four bytes.

#include "platform/resfile/res_entry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::resfile {

// The resources in file order, without the leading empty entry; nothing when any part of the
// file is malformed. Every offset taken from the file is checked against its bounds first.
std::optional<std::vector<ResEntry>> ParseResFile(std::span<const std::uint8_t> file);

} // namespace platform::resfile
