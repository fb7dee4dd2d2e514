// The version block, the icon group and the manifest of the compiled resource script, and the
// tool's own version as the window reads it.

#include "embedded_resources.h"
#include "platform/resfile/icon_group.h"
#include "platform/resfile/program_version_info.h"
#include "platform/resfile/res_file_resources.h"
#include "platform/resfile/version_resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace platform::resfile;

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::u16string Text(const VersionValue& value) {
    std::u16string text(value.bytes.size() / 2, u'\0');
    std::memcpy(text.data(), value.bytes.data(), value.bytes.size());
    return text;
}

std::span<const std::uint8_t> VersionBlock(ResFileResources& resources) {
    EXPECT_NE(resources.find(platform::kRtVersion, 1, 0x0411), platform::ResourceHandle::None);
    return resources.load(resources.find(platform::kRtVersion, 1)).value();
}

TEST(VersionBlock, FixedPart) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto fixed = FindVersionValue(VersionBlock(resources), "\\");
    ASSERT_TRUE(fixed.has_value());
    ASSERT_EQ(fixed->bytes.size(), kFixedFileInfoLength);
    EXPECT_EQ(U32(fixed->bytes, 0), 0xFEEF04BDu);
    EXPECT_EQ(U32(fixed->bytes, 8), 0x00040000u);  // file version 4.0
    EXPECT_EQ(U32(fixed->bytes, 12), 0x00010003u); // .1.3
    EXPECT_EQ(U32(fixed->bytes, 16), 0x00040000u); // product version
    EXPECT_EQ(U32(fixed->bytes, 20), 0x00010003u);
    EXPECT_EQ(U32(fixed->bytes, 24), 0x3Fu); // flags mask
    EXPECT_EQ(U32(fixed->bytes, 28), 0u);    // flags
    EXPECT_EQ(U32(fixed->bytes, 32), 4u);    // VOS__WINDOWS32
    EXPECT_EQ(U32(fixed->bytes, 36), 1u);    // VFT_APP
    EXPECT_EQ(U32(fixed->bytes, 40), 0u);
}

TEST(VersionBlock, StringTableOfJapaneseShiftJis) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto block = VersionBlock(resources);
    struct Row {
        const char* name;
        std::u16string value;
    };
    const Row rows[] = {
        {"FileDescription", u"LM704 Firmwaer Update Tool"},
        {"FileVersion", u"4, 0, 1, 3"},
        {"InternalName", u"Kestrun.exe"},
        {"OriginalFilename", u"Kestrun.exe"},
        {"ProductName", u"Kestrun"},
        {"ProductVersion", u"4, 0, 1, 3"},
    };
    for (const Row& row : rows) {
        const auto value =
            FindVersionValue(block, std::string("\\StringFileInfo\\041103a4\\") + row.name);
        ASSERT_TRUE(value.has_value()) << row.name;
        EXPECT_TRUE(value->text);
        EXPECT_EQ(Text(*value), row.value) << row.name;
    }
    // In the table's order, beginning with the maker and its notice in their places.
    std::vector<std::u16string> texts;
    ForEachVersionText(block, [&](const VersionValue& v) { texts.push_back(Text(v)); });
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[1], u"LM704 Firmwaer Update Tool");
    EXPECT_EQ(texts[7], u"4, 0, 1, 3");
    const auto translation = FindVersionValue(block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation.has_value());
    EXPECT_EQ(U32(translation->bytes, 0), 0x03A40411u);
    EXPECT_FALSE(FindVersionValue(block, "\\StringFileInfo\\040904b0\\FileVersion").has_value());
}

// The program's own file answered from the compiled block; every other file goes on to the
// files' own provider.
TEST(ProgramVersionInfo, AnswersForTheProgramAndPassesTheRestOn) {
    struct Files final : platform::VersionInfo {
        std::vector<std::string> asked;
        std::uint32_t size(const char* path) override {
            asked.push_back(path);
            return 7;
        }
        bool read(const char*, std::span<std::uint8_t>) override { return false; }
        std::optional<std::span<const std::uint8_t>> queryValue(std::span<const std::uint8_t>,
                                                                const char*) override {
            return std::nullopt;
        }
    } files;
    ResFileResources resources(platform::EmbeddedResources());
    ProgramVersionInfo info(files, resources, "/opt/kestrun/kestrun");

    EXPECT_EQ(info.size("E:\\QivarGUIMain.exe"), 7u);
    EXPECT_EQ(files.asked, std::vector<std::string>{"E:\\QivarGUIMain.exe"});

    std::vector<std::uint8_t> block(info.size("/opt/kestrun/kestrun"));
    ASSERT_TRUE(info.read("/opt/kestrun/kestrun", block));
    const auto fixed = info.queryValue(block, "\\");
    ASSERT_TRUE(fixed.has_value());
    EXPECT_EQ(U32(*fixed, 8), 0x00040000u);
    EXPECT_EQ(U32(*fixed, 12), 0x00010003u);
    for (const auto& [name, text] :
         {std::pair{"ProductName", "Kestrun"}, std::pair{"FileVersion", "4, 0, 1, 3"},
          std::pair{"FileDescription", "LM704 Firmwaer Update Tool"}}) {
        const auto value =
            info.queryValue(block, (std::string("\\StringFileInfo\\041103a4\\") + name).c_str());
        ASSERT_TRUE(value.has_value()) << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(value->data()), value->size()),
                  std::string(text) + '\0')
            << name;
    }
    EXPECT_FALSE(info.queryValue(block, "\\StringFileInfo\\000004b0\\ProductVersion"));
}

TEST(VersionResourceParser, RefusesEveryCutOfTheBlock) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto block = VersionBlock(resources);
    ASSERT_TRUE(FindVersionValue(block, "\\").has_value());
    for (std::size_t length = 0; length < 92; ++length) {
        EXPECT_FALSE(FindVersionValue(block.first(length), "\\").has_value()) << length;
    }
}

// Nine images: 48, 32 and 16 pixels, each at 4, 8 and 32 bits.
TEST(IconGroup, HoldsNineImagesAndMakesAnIconFile) {
    ResFileResources resources(platform::EmbeddedResources());
    EXPECT_NE(resources.find(platform::kRtGroupIcon, 128, 0x0411), platform::ResourceHandle::None);
    const auto file = BuildIconFile(resources, 128);
    ASSERT_TRUE(file.has_value());
    const auto& bytes = *file;
    ASSERT_GE(bytes.size(), 6u + 9 * 16);
    EXPECT_EQ(bytes[2] | bytes[3] << 8, 1);
    ASSERT_EQ(bytes[4] | bytes[5] << 8, 9);
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < 9; ++i) {
        const std::uint8_t* entry = bytes.data() + 6 + 16 * i;
        images.emplace_back(entry[0], entry[6] | entry[7] << 8);
        const std::uint32_t size = U32(bytes, 6 + 16 * i + 8);
        const std::uint32_t offset = U32(bytes, 6 + 16 * i + 12);
        ASSERT_LE(std::size_t{offset} + size, bytes.size()) << i;
        EXPECT_EQ(U32(bytes, offset), 40u) << "a BITMAPINFOHEADER opens image " << i;
    }
    const std::vector<std::pair<int, int>> expected = {
        {48, 4}, {48, 8}, {48, 32}, {32, 4}, {32, 8}, {32, 32}, {16, 4}, {16, 8}, {16, 32}};
    EXPECT_EQ(images, expected);
    EXPECT_FALSE(BuildIconFile(resources, 129).has_value());
}

TEST(Manifest, AnEmptyAssemblyInEnglish) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto manifest =
        resources.load(resources.find(platform::kRtManifest, 1, platform::kLangEnglishUs));
    ASSERT_TRUE(manifest.has_value());
    const std::string text(manifest->begin(), manifest->end());
    EXPECT_NE(
        text.find(R"(<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">)"),
        std::string::npos);
    EXPECT_EQ(text.find("dependency"), std::string::npos);
    EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
}

} // namespace
