#include "platform/resfile/res_index.h"

#include "platform/resfile/res_parser.h"

#include <algorithm>

namespace platform::resfile {

ResIndex::ResIndex(std::span<const std::uint8_t> file)
    : m_entries(ParseResFile(file).value_or(std::vector<ResEntry>{})) {}

const ResEntry* ResIndex::find(std::string_view typeName, std::uint16_t id,
                               std::optional<std::uint16_t> language) const {
    return findFirst(typeName, id, language);
}

const ResEntry* ResIndex::find(std::uint16_t type, std::uint16_t id,
                               std::optional<std::uint16_t> language) const {
    return findFirst(type, id, language);
}

template <typename Type>
const ResEntry* ResIndex::findFirst(const Type& type, std::uint16_t id,
                                    std::optional<std::uint16_t> language) const {
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const ResEntry& entry) {
        return entry.type.matches(type) && entry.name.matches(id) &&
               (!language || entry.language == *language);
    });
    return found == m_entries.end() ? nullptr : &*found;
}

} // namespace platform::resfile
