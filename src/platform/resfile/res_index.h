#pragma once
// Lookups in a compiled resource file (.res) by type and integer id, in the manner of the
// system's resource calls: a type given by name or by ordinal (RT_STRING is 6, for instance),
// and a language that may be left open, in which case the file's first match wins.

#include "platform/resfile/res_entry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace platform::resfile {

class ResIndex {
  public:
    // A malformed file gives an index that finds nothing.
    explicit ResIndex(std::span<const std::uint8_t> file);

    std::span<const ResEntry> entries() const { return m_entries; }

    const ResEntry* find(std::string_view typeName, std::uint16_t id,
                         std::optional<std::uint16_t> language = std::nullopt) const;
    const ResEntry* find(std::uint16_t type, std::uint16_t id,
                         std::optional<std::uint16_t> language = std::nullopt) const;

  private:
    template <typename Type>
    const ResEntry* findFirst(const Type& type, std::uint16_t id,
                              std::optional<std::uint16_t> language) const;

    std::vector<ResEntry> m_entries;
};

} // namespace platform::resfile
