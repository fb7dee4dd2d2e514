#pragma once
// A file's version block as the tool's VersionInfo hands it out on systems without the version
// calls: the VS_VERSIONINFO tree exactly as the file stores it, followed by a table of narrow
// (UTF-8) copies of its string values, so that a query can answer with narrow text that lies
// inside the block, as the system's narrow-character query does.
//
// Table: the four bytes "KNRW" at the first four-byte boundary after the tree, then one record
// per string value: the offset of the value in the tree (4 bytes), the length of the narrow text
// with its zero (4 bytes), the text and its zero, padding to four bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace platform::pe {

// The block for a version resource's bytes; nothing when the resource holds no well-formed
// VS_VERSIONINFO root.
std::optional<std::vector<std::uint8_t>> BuildVersionBlock(std::span<const std::uint8_t> resource);

// A value of the block, pointing into it:
//   "\"                                   the VS_FIXEDFILEINFO (52 bytes)
//   "\StringFileInfo\llllcccc\Name"       the narrow text with its zero
//   any other path, e.g. "\VarFileInfo\Translation"   the value's bytes as stored
// Keys match without regard to case. Nothing when the block has no such value or is malformed.
std::optional<std::span<const std::uint8_t>> QueryVersionValue(std::span<const std::uint8_t> block,
                                                               std::string_view subBlock);

inline constexpr std::size_t kFixedFileInfoSize = 52;
inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

} // namespace platform::pe
