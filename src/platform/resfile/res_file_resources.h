#pragma once
// The executable's resources read from a compiled resource file (.res) held in memory, such as
// the one linked into the executable (EmbeddedResources). Loaded resources are spans into that
// memory, which must outlive this object; nothing is copied.

#include "platform/resfile/res_index.h"
#include "platform/resources.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform::resfile {

class ResFileResources final : public Resources {
  public:
    explicit ResFileResources(std::span<const std::uint8_t> file) : m_index(file) {}

    ResourceHandle find(std::string_view typeName, std::uint16_t id) override;
    // A type given by ordinal, such as RT_STRING (6); the language is left open when not given.
    ResourceHandle find(std::uint16_t type, std::uint16_t id,
                        std::optional<std::uint16_t> language = std::nullopt);
    std::optional<std::span<const std::uint8_t>> load(ResourceHandle resource) override;

    const ResIndex& index() const { return m_index; }

  private:
    ResourceHandle handleOf(const ResEntry* entry) const;

    ResIndex m_index;
};

} // namespace platform::resfile
