// The string tables of the compiled resource script, walked as the tool walks them.

#include "embedded_resources.h"
#include "platform/resfile/res_file_resources.h"
#include "ui/string_table.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using platform::resfile::ResFileResources;

TEST(EnglishStrings, AreTakenWhateverTheUsersLanguage) {
    struct Case {
        unsigned id;
        const char* text;
    };
    const Case cases[] = {
        {3001, "No Veskan Sticks were found."},       // block 188, entry 9
        {3002, "The application cannot be started."}, // entry 10
        {3007, "Invalid Firmware"},                   // the last entry (15) of block 188
        {3008, "Update Firmware Error"},              // the first entry (0) of block 189
        {3018, "Do not close the tool while the update runs."},
        {101, "Version Info Kestrun(&A)..."},
    };
    for (const std::uint16_t language : {0x0409, 0x0411, 0x0407, 0}) {
        ResFileResources resources(platform::EmbeddedResources());
        resources.setUserLanguage(language);
        for (const Case& c : cases) {
            std::string text = "unchanged";
            EXPECT_TRUE(LoadEnglishString(c.id, resources, text)) << c.id;
            EXPECT_EQ(text, c.text) << c.id << " for language " << language;
        }
    }
}

TEST(EnglishStrings, MissingOrEmptyEntriesLeaveTheTextAlone) {
    ResFileResources resources(platform::EmbeddedResources());
    for (const unsigned id : {3000u, 3019u, 3023u, 100u, 5000u, 0u}) {
        std::string text = "unchanged";
        EXPECT_FALSE(LoadEnglishString(id, resources, text)) << id;
        EXPECT_EQ(text, "unchanged") << id;
    }
}

// Every message has a text in both languages.
TEST(StringTables, EveryMessageExistsInBothLanguages) {
    ResFileResources resources(platform::EmbeddedResources());
    for (unsigned id = 3001; id <= 3018; ++id) {
        for (const std::uint16_t language : {0x0409, 0x0411}) {
            const auto entry = FindStringEntry(resources, id, language);
            ASSERT_TRUE(entry.has_value()) << id << " " << language;
            EXPECT_FALSE(entry->empty());
        }
    }
    ResFileResources japanese(platform::EmbeddedResources());
    japanese.setUserLanguage(0x0411);
    EXPECT_EQ(LoadString(3001, japanese), "Veskan Stick が見つかりません。");
    EXPECT_EQ(LoadString(101, japanese), "バージョン情報 Kestrun(&A)...");
}

// A block of hand-made entries: the walk stops at the block's end and never reads past it.
class OneBlock final : public platform::Resources {
  public:
    explicit OneBlock(std::vector<std::uint16_t> units) {
        for (const std::uint16_t unit : units) {
            m_bytes.push_back(static_cast<std::uint8_t>(unit));
            m_bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
    }
    platform::ResourceHandle find(std::string_view, std::uint16_t) override {
        return platform::ResourceHandle::None;
    }
    platform::ResourceHandle findOrdinal(std::uint16_t type, std::uint16_t id,
                                         std::optional<std::uint16_t>) override {
        return type == platform::kRtString && id == 1 ? platform::ResourceHandle{1}
                                                      : platform::ResourceHandle::None;
    }
    std::optional<std::span<const std::uint8_t>> load(platform::ResourceHandle h) override {
        if (h != platform::ResourceHandle{1}) {
            return std::nullopt;
        }
        return std::span<const std::uint8_t>(m_bytes);
    }

  private:
    std::vector<std::uint8_t> m_bytes;
};

TEST(StringBlockWalk, StopsAtTheBlocksEnd) {
    struct Case {
        const char* name;
        std::vector<std::uint16_t> block;
        unsigned id;
        std::optional<std::u16string> entry;
    };
    const Case cases[] = {
        {"first entry", {2, 'H', 'i', 0}, 0, u"Hi"},
        {"after an empty and a full entry", {0, 1, 'A', 3, 'x', 'y', 'z'}, 2, u"xyz"},
        {"an empty entry", {0, 1, 'A'}, 0, std::nullopt},
        {"walk runs off the end", {1, 'A'}, 3, std::nullopt},
        {"length past the end", {2, 'H', 'i', 40, 'x'}, 1, std::nullopt},
        {"a block of nothing", {}, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        OneBlock resources(c.block);
        EXPECT_EQ(FindStringEntry(resources, c.id, 0x0409), c.entry) << c.name;
    }
}

} // namespace
