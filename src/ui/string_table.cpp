#include "ui/string_table.h"

#include "platform/text_encoding.h"

namespace {

constexpr unsigned kStringsPerBlock = 16;

} // namespace

std::optional<std::u16string> FindStringEntry(platform::Resources& resources, unsigned id,
                                              std::optional<std::uint16_t> language) {
    const auto blockId = static_cast<std::uint16_t>(id / kStringsPerBlock + 1);
    const auto block =
        resources.load(resources.findOrdinal(platform::kRtString, blockId, language));
    if (!block) {
        return std::nullopt;
    }
    const auto unit = [&](std::size_t index) {
        return static_cast<char16_t>((*block)[2 * index] | (*block)[2 * index + 1] << 8);
    };
    const std::size_t units = block->size() / 2;
    std::size_t at = 0;
    for (unsigned skip = id % kStringsPerBlock; skip > 0; --skip) {
        if (at >= units) {
            return std::nullopt;
        }
        at += std::size_t{unit(at)} + 1;
    }
    if (at >= units) {
        return std::nullopt;
    }
    const std::size_t length = unit(at);
    // An entry that claims more than the block holds is no entry.
    if (length == 0 || length > units - at - 1) {
        return std::nullopt;
    }
    std::u16string text(length, u'\0');
    for (std::size_t i = 0; i < length; ++i) {
        text[i] = unit(at + 1 + i);
    }
    return text;
}

bool LoadEnglishString(unsigned id, platform::Resources& resources, std::string& text) {
    const auto entry = FindStringEntry(resources, id, platform::kLangEnglishUs);
    if (!entry) {
        return false;
    }
    text = platform::NarrowFromUtf16(*entry);
    return true;
}

std::string LoadString(unsigned id, platform::Resources& resources) {
    const auto entry = FindStringEntry(resources, id, std::nullopt);
    return entry ? platform::NarrowFromUtf16(*entry) : std::string{};
}
