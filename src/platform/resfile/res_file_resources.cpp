#include "platform/resfile/res_file_resources.h"

namespace platform::resfile {

// A handle is the entry's position in the index plus one, so that None stays free.
ResourceHandle ResFileResources::handleOf(const ResEntry* entry) const {
    if (entry == nullptr) {
        return ResourceHandle::None;
    }
    return static_cast<ResourceHandle>(entry - m_index.entries().data() + 1);
}

ResourceHandle ResFileResources::find(std::string_view typeName, std::uint16_t id) {
    return handleOf(m_index.find(typeName, id));
}

ResourceHandle ResFileResources::find(std::uint16_t type, std::uint16_t id,
                                      std::optional<std::uint16_t> language) {
    return handleOf(m_index.find(type, id, language));
}

ResourceHandle ResFileResources::findOrdinal(std::uint16_t type, std::uint16_t id,
                                             std::optional<std::uint16_t> language) {
    if (language) {
        return find(type, id, language);
    }
    constexpr std::uint16_t kSublangDefault = 1;
    const std::uint16_t primary = m_userLanguage & 0x3FF;
    const std::uint16_t preferred[] = {m_userLanguage,
                                       static_cast<std::uint16_t>(primary | kSublangDefault << 10),
                                       0, kLangEnglishUs};
    for (const std::uint16_t candidate : preferred) {
        if (const ResourceHandle found = find(type, id, candidate); found != ResourceHandle::None) {
            return found;
        }
    }
    return find(type, id, std::nullopt);
}

std::optional<std::span<const std::uint8_t>> ResFileResources::load(ResourceHandle resource) {
    const auto position = static_cast<std::uintptr_t>(resource);
    const auto entries = m_index.entries();
    if (position == 0 || position > entries.size()) {
        return std::nullopt;
    }
    return entries[position - 1].data;
}

std::span<const std::uint8_t> ResFileResources::versionResource() const {
    constexpr std::uint16_t kVersionInfoId = 1;
    const ResEntry* entry = m_index.find(kRtVersion, kVersionInfoId);
    return entry != nullptr ? entry->data : std::span<const std::uint8_t>();
}

} // namespace platform::resfile
