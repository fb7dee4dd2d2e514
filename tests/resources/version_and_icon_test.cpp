// The version block, the icon group and the manifest of the compiled resource script, and the
// tool's own version as the window reads it.

#include "embedded_resources.h"
#include "platform/pe/version_block.h"
#include "platform/resfile/icon_group.h"
#include "platform/resfile/res_file_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace platform::resfile;
using platform::pe::BuildVersionBlock;
using platform::pe::QueryVersionValue;

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::string Text(std::span<const std::uint8_t> value) {
    return std::string(reinterpret_cast<const char*>(value.data()), value.size());
}

std::span<const std::uint8_t> VersionResource(ResFileResources& resources) {
    EXPECT_NE(resources.find(platform::kRtVersion, 1, 0x0411), platform::ResourceHandle::None);
    const auto resource = resources.load(resources.find(platform::kRtVersion, 1)).value();
    EXPECT_EQ(resource.data(), resources.versionResource().data());
    return resource;
}

std::vector<std::uint8_t> VersionBlock(ResFileResources& resources) {
    auto block = BuildVersionBlock(VersionResource(resources));
    EXPECT_TRUE(block.has_value());
    return block.value_or(std::vector<std::uint8_t>());
}

TEST(VersionBlock, FixedPart) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto block = VersionBlock(resources);
    const auto fixed = QueryVersionValue(block, "\\");
    ASSERT_TRUE(fixed.has_value());
    ASSERT_EQ(fixed->size(), platform::pe::kFixedFileInfoSize);
    EXPECT_EQ(U32(*fixed, 0), 0xFEEF04BDu);
    EXPECT_EQ(U32(*fixed, 8), 0x00040000u);  // file version 4.0
    EXPECT_EQ(U32(*fixed, 12), 0x00010003u); // .1.3
    EXPECT_EQ(U32(*fixed, 16), 0x00040000u); // product version
    EXPECT_EQ(U32(*fixed, 20), 0x00010003u);
    EXPECT_EQ(U32(*fixed, 24), 0x3Fu); // flags mask
    EXPECT_EQ(U32(*fixed, 28), 0u);    // flags
    EXPECT_EQ(U32(*fixed, 32), 4u);    // VOS__WINDOWS32
    EXPECT_EQ(U32(*fixed, 36), 1u);    // VFT_APP
    EXPECT_EQ(U32(*fixed, 40), 0u);
}

TEST(VersionBlock, StringTableOfJapaneseShiftJis) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto block = VersionBlock(resources);
    struct Row {
        const char* name;
        const char* value;
    };
    const Row rows[] = {
        {"CompanyName", "Kestrun developers"},
        {"FileDescription", "LM704 Firmwaer Update Tool"},
        {"FileVersion", "4, 0, 1, 3"},
        {"InternalName", "Kestrun.exe"},
        {"LegalCopyright", "Copyright (C) Kestrun developers"},
        {"OriginalFilename", "Kestrun.exe"},
        {"ProductName", "Kestrun"},
        {"ProductVersion", "4, 0, 1, 3"},
    };
    for (const Row& row : rows) {
        const auto value =
            QueryVersionValue(block, std::string("\\StringFileInfo\\041103a4\\") + row.name);
        ASSERT_TRUE(value.has_value()) << row.name;
        EXPECT_EQ(Text(*value), std::string(row.value) + '\0') << row.name;
    }
    const auto translation = QueryVersionValue(block, "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation.has_value());
    EXPECT_EQ(U32(*translation, 0), 0x03A40411u);
    EXPECT_FALSE(QueryVersionValue(block, "\\StringFileInfo\\040904b0\\FileVersion"));
}

TEST(VersionResourceParser, RefusesEveryCutOfTheResource) {
    ResFileResources resources(platform::EmbeddedResources());
    const auto resource = VersionResource(resources);
    ASSERT_TRUE(BuildVersionBlock(resource).has_value());
    for (std::size_t length = 0; length < 92; ++length) {
        EXPECT_FALSE(BuildVersionBlock(resource.first(length)).has_value()) << length;
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
