// The string-table walk of the tool's texts (FindStringEntry, LoadEnglishString, LoadString)
// over blocks of any bytes: once as a compiled resource file read by the .res reader, once as
// the bytes of a string block handed out directly. A found entry must be non-empty, must fit
// its block, and the English text must be the narrow form of the English entry.

#include "fuzz_input.h"
#include "platform/resfile/res_file_resources.h"
#include "platform/text_encoding.h"
#include "ui/string_table.h"

#include <cstdint>
#include <string>

namespace {

// Resources whose every string block is the same bytes.
class OneBlock final : public platform::Resources {
  public:
    explicit OneBlock(std::span<const std::uint8_t> block) : m_block(block) {}
    platform::ResourceHandle find(std::string_view, std::uint16_t) override {
        return platform::ResourceHandle::None;
    }
    platform::ResourceHandle findOrdinal(std::uint16_t type, std::uint16_t,
                                         std::optional<std::uint16_t>) override {
        return type == platform::kRtString ? platform::ResourceHandle{1}
                                           : platform::ResourceHandle::None;
    }
    std::optional<std::span<const std::uint8_t>> load(platform::ResourceHandle handle) override {
        if (handle != platform::ResourceHandle{1}) {
            return std::nullopt;
        }
        return m_block;
    }

  private:
    std::span<const std::uint8_t> m_block;
};

void Walk(platform::Resources& resources, std::size_t blockBytes, std::uint16_t extraId) {
    const unsigned ids[] = {0, 1, 15, 16, 101, 3001, 3002, 3010, 65535, extraId};
    for (unsigned id : ids) {
        for (const auto language : {std::optional<std::uint16_t>{},
                                    std::optional<std::uint16_t>{platform::kLangEnglishUs},
                                    std::optional<std::uint16_t>{platform::kLangJapanese}}) {
            const auto entry = FindStringEntry(resources, id, language);
            if (entry) {
                fuzz::Require(!entry->empty(), "an empty entry was found");
                fuzz::Require(entry->size() * 2 + 2 <= blockBytes, "entry longer than its block");
            }
        }
        std::string english = "unchanged";
        const bool loaded = LoadEnglishString(id, resources, english);
        const auto entry = FindStringEntry(resources, id, platform::kLangEnglishUs);
        fuzz::Require(loaded == entry.has_value(), "English text and entry disagree");
        fuzz::Require(loaded ? english == platform::NarrowFromUtf16(*entry)
                             : english == "unchanged",
                      "English text not the entry's narrow form");
        (void)LoadString(id, resources);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint8_t mode = input.byte();
    const std::uint16_t extraId = static_cast<std::uint16_t>(input.byte() | input.byte() << 8);
    const auto rest = input.rest();
    if ((mode & 1) != 0) {
        OneBlock block(rest);
        Walk(block, rest.size(), extraId);
    } else {
        platform::resfile::ResFileResources resources(rest);
        std::size_t largest = 0;
        for (const auto& entry : resources.index().entries()) {
            largest = std::max(largest, entry.data.size());
        }
        Walk(resources, largest, extraId);
    }
    return 0;
}
