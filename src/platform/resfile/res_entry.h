#pragma once
// One resource of a compiled resource file (.res), as the file stores it. The spans point into
// the file's bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform::resfile {

// A resource type or name: an ordinal, or a string of UTF-16LE code units.
struct ResKey {
    std::optional<std::uint16_t> ordinal;
    std::span<const std::uint8_t> text; // without its terminating zero; empty for an ordinal

    bool matches(std::uint16_t wanted) const { return ordinal == wanted; }
    // Names match without regard to the case of ASCII letters, as the system's lookups do.
    bool matches(std::string_view wanted) const;
};

struct ResEntry {
    ResKey type;
    ResKey name;
    std::uint16_t language = 0;
    std::span<const std::uint8_t> data;
};

} // namespace platform::resfile
