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
    // Without a language, the user's own (setUserLanguage) first, then the same primary
    // language, then neutral resources, then English (United States), then any.
    ResourceHandle findOrdinal(std::uint16_t type, std::uint16_t id,
                               std::optional<std::uint16_t> language) override;
    std::optional<std::span<const std::uint8_t>> load(ResourceHandle resource) override;

    const ResIndex& index() const { return m_index; }
    // The program's version resource (RT_VERSION 1, VS_VERSIONINFO); empty when it has none.
    std::span<const std::uint8_t> versionResource() const;
    // The user's language (a LANGID such as 0x0411); 0 when unknown.
    void setUserLanguage(std::uint16_t language) { m_userLanguage = language; }

  private:
    ResourceHandle handleOf(const ResEntry* entry) const;

    ResIndex m_index;
    std::uint16_t m_userLanguage = 0;
};

} // namespace platform::resfile
