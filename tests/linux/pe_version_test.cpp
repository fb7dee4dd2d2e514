// The PE version reader on real PE files linked by the MinGW binutils, and on truncated and
// damaged copies of them.

#include "pe_test_files.h"
#include "platform/pe/pe_version_resource.h"
#include "platform/pe/version_block.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using platform::pe::BuildVersionBlock;
using platform::pe::FindVersionResource;
using platform::pe::QueryVersionValue;

constexpr const char* kProductVersion = "\\StringFileInfo\\000004b0\\ProductVersion";

// The whole road of the tool's query: file, resource, block, value.
std::optional<std::vector<std::uint8_t>> BlockOf(const std::vector<std::uint8_t>& file) {
    const auto resource = FindVersionResource(file);
    return resource ? BuildVersionBlock(*resource) : std::nullopt;
}

std::optional<std::string> Text(const std::vector<std::uint8_t>& block, const char* subBlock) {
    const auto value = QueryVersionValue(block, subBlock);
    if (!value) {
        return std::nullopt;
    }
    EXPECT_FALSE(value->empty());
    EXPECT_EQ(value->back(), 0) << "a text comes with its zero";
    return std::string(reinterpret_cast<const char*>(value->data()));
}

std::optional<std::string> ProductVersion(const std::vector<std::uint8_t>& file) {
    const auto block = BlockOf(file);
    return block ? Text(*block, kProductVersion) : std::nullopt;
}

// The four 16-bit numbers of the fixed file version.
std::optional<std::vector<unsigned>> FileVersion(const std::vector<std::uint8_t>& block) {
    const auto fixed = QueryVersionValue(block, "\\");
    if (!fixed) {
        return std::nullopt;
    }
    const auto u32 = [&](std::size_t at) {
        return (*fixed)[at] | (*fixed)[at + 1] << 8 | (*fixed)[at + 2] << 16 |
               std::uint32_t{(*fixed)[at + 3]} << 24;
    };
    EXPECT_EQ(fixed->size(), platform::pe::kFixedFileInfoSize);
    EXPECT_EQ(u32(0), platform::pe::kFixedFileInfoSignature);
    return std::vector<unsigned>{u32(8) >> 16, u32(8) & 0xFFFF, u32(12) >> 16, u32(12) & 0xFFFF};
}

const std::string kLongVersion = "1, 0, 3, 5 " + [] {
    std::string digits;
    for (int i = 0; i < 289; ++i) {
        digits += static_cast<char>('0' + i % 10);
    }
    return digits;
}();

struct FileCase {
    const char* name;
    std::vector<std::uint8_t> (*file)();
    std::optional<std::string> productVersion;
    std::optional<std::vector<unsigned>> fileVersion;
};

std::vector<std::uint8_t> StandIn() {
    return test::ReadBytes(test::StandInQivar());
}
std::vector<std::uint8_t> StandIn32() {
    return test::AsPe32(StandIn());
}
std::vector<std::uint8_t> OtherTranslation() {
    return test::ReadBytes(test::TestPeFile("other_translation.exe"));
}
std::vector<std::uint8_t> LongText() {
    return test::ReadBytes(test::TestPeFile("long_text.exe"));
}
std::vector<std::uint8_t> LongText32() {
    return test::AsPe32(LongText());
}
std::vector<std::uint8_t> NoVersion() {
    return test::ReadBytes(test::TestPeFile("no_version.exe"));
}
std::vector<std::uint8_t> TwoLanguages() {
    return test::ReadBytes(test::TestPeFile("two_languages.exe"));
}

const FileCase kFiles[] = {
    {"StandIn", StandIn, "4, 0, 1, 3", std::vector<unsigned>{4, 0, 1, 3}},
    {"StandIn32Bit", StandIn32, "4, 0, 1, 3", std::vector<unsigned>{4, 0, 1, 3}},
    {"OtherTranslationOnly", OtherTranslation, std::nullopt, std::vector<unsigned>{2, 0, 0, 1}},
    {"LongText", LongText, kLongVersion, std::vector<unsigned>{1, 0, 3, 5}},
    {"LongText32Bit", LongText32, kLongVersion, std::vector<unsigned>{1, 0, 3, 5}},
    {"NoVersionResource", NoVersion, std::nullopt, std::nullopt},
    {"SeveralVersionResources", TwoLanguages, "3, 1, 4, 1", std::vector<unsigned>{3, 1, 4, 1}},
};

class PeVersion : public ::testing::TestWithParam<FileCase> {};

TEST_P(PeVersion, ProductVersionAndFixedFileVersion) {
    const FileCase& c = GetParam();
    const auto file = c.file();
    EXPECT_EQ(ProductVersion(file), c.productVersion);
    const auto block = BlockOf(file);
    ASSERT_EQ(block.has_value(), c.fileVersion.has_value());
    if (block) {
        EXPECT_EQ(FileVersion(*block), c.fileVersion);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PeVersion, ::testing::ValuesIn(kFiles),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(PeVersion, OtherValuesOfTheBlock) {
    const auto block = BlockOf(LongText());
    ASSERT_TRUE(block);
    // UTF-16 texts come out as UTF-8, a surrogate pair as one character.
    EXPECT_EQ(Text(*block, "\\StringFileInfo\\000004b0\\CompanyName"),
              "Korvalin \xE6\xA0\xAA\xE5\xBC\x8F\xE4\xBC\x9A\xE7\xA4\xBE \xF0\x9F\x9A\x80");
    // Keys match without regard to case; doubled separators are skipped.
    EXPECT_EQ(Text(*block, "\\stringfileinfo\\000004B0\\\\PRODUCTVERSION"), kLongVersion);
    const auto translation = QueryVersionValue(*block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_EQ(std::vector<std::uint8_t>(translation->begin(), translation->end()),
              (std::vector<std::uint8_t>{0x00, 0x00, 0xB0, 0x04}));
    EXPECT_FALSE(QueryVersionValue(*block, "\\StringFileInfo\\000004b0\\Comments"));
    EXPECT_FALSE(QueryVersionValue(*block, "\\StringFileInfo\\040904b0\\ProductVersion"));
}

// Every prefix of a file: without the whole version resource there is no version; with it (the
// headers and the directory tree come before the data in these files) the version is the whole
// file's.
TEST(PeVersion, TruncatedCopies) {
    for (const auto& make : {StandIn, StandIn32, LongText}) {
        const auto whole = make();
        const auto expected = ProductVersion(whole);
        const auto resource = FindVersionResource(whole);
        ASSERT_TRUE(resource && expected);
        const auto resourceEnd =
            static_cast<std::size_t>(resource->data() + resource->size() - whole.data());
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
            if (length < resourceEnd) {
                EXPECT_EQ(ProductVersion(cut), std::nullopt) << "cut at " << length;
            } else {
                EXPECT_EQ(ProductVersion(cut), expected) << "cut at " << length;
            }
        }
    }
}

// Each byte flipped in turn: whatever the reader makes of it, a text it returns lies inside the
// block and ends with its zero (Text checks), and the sanitizers see no stray read.
TEST(PeVersion, CorruptedCopies) {
    for (const auto& make : {StandIn, StandIn32, TwoLanguages}) {
        const auto whole = make();
        std::size_t changed = 0;
        for (std::size_t at = 0; at < whole.size(); ++at) {
            auto damaged = whole;
            damaged[at] ^= 0xFF;
            const auto version = ProductVersion(damaged);
            changed += version != ProductVersion(whole) ? 1 : 0;
            if (const auto block = BlockOf(damaged)) {
                const auto fixed = QueryVersionValue(*block, "\\");
                if (fixed) {
                    EXPECT_GE(fixed->data(), block->data());
                    EXPECT_LE(fixed->data() + fixed->size(), block->data() + block->size());
                }
            }
        }
        EXPECT_GT(changed, 0u) << "some damage must show";
    }
}

} // namespace
