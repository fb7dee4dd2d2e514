// The main image's volume label as the main dialog shows it.

#include "embedded_resources.h"
#include "platform/resfile/res_file_resources.h"
#include "update/payload_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

TEST(ImageLabel, TheEmbeddedLabelIsSixLettersFilledWithBlanks) {
    platform::resfile::ResFileResources resources(platform::EmbeddedResources());
    const std::string label = ReadImageLabel(resources);
    ASSERT_EQ(label.size(), kVolumeLabelLength);
    EXPECT_TRUE(std::all_of(label.begin(), label.begin() + 6, [](char c) {
        return c >= 'A' && c <= 'Z';
    })) << label;
    EXPECT_EQ(label.substr(6), std::string(26, ' '));
}

// Images held in buffers of exactly their own length, so that a read past one's end is a read
// outside any object, which the sanitizer builds report.
class ExactImages final : public platform::Resources {
  public:
    std::map<std::uint16_t, std::vector<std::uint8_t>> isoImages;
    bool loadFails = false;

    platform::ResourceHandle find(std::string_view typeName, std::uint16_t id) override {
        const bool found = typeName == kIsoImageType && isoImages.contains(id);
        return found ? static_cast<platform::ResourceHandle>(id) : platform::ResourceHandle::None;
    }
    std::optional<std::span<const std::uint8_t>> load(platform::ResourceHandle handle) override {
        if (loadFails) {
            return std::nullopt;
        }
        return std::span<const std::uint8_t>(isoImages.at(static_cast<std::uint16_t>(handle)));
    }
};

std::vector<std::uint8_t> ImageWithIdentifier(std::size_t length, std::string_view identifier) {
    std::vector<std::uint8_t> image(length, 0xEE);
    const std::size_t room = length > kVolumeLabelOffset ? length - kVolumeLabelOffset : 0;
    std::copy_n(identifier.begin(), std::min(identifier.size(), room),
                image.begin() + static_cast<std::ptrdiff_t>(std::min(length, kVolumeLabelOffset)));
    return image;
}

struct LabelCase {
    const char* what;
    std::size_t imageLength;
    std::string identifier; // the 32 bytes at the label's offset, as far as the image holds them
    std::string expected;
};

const std::size_t kLabelEnd = kVolumeLabelOffset + kVolumeLabelLength; // 32,840

const LabelCase kLabelCases[] = {
    {"an identifier filling all 32 characters", kLabelEnd, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
    {"an identifier with a zero byte", 40000,
     std::string("VER_12", 6) + std::string(1, '\0') + std::string(25, 'X'), "VER_12"},
    {"an image one byte short of the identifier's end", kLabelEnd - 1,
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", ""},
    {"an image ending where the identifier starts", kVolumeLabelOffset, "", ""},
    {"an empty image", 0, "", ""},
};

TEST(ImageLabel, ReadsTheIdentifierOnlyWithinTheImage) {
    for (const LabelCase& test : kLabelCases) {
        ExactImages resources;
        resources.isoImages[IDR_MAIN_ISO] = ImageWithIdentifier(test.imageLength, test.identifier);
        EXPECT_EQ(ReadImageLabel(resources), test.expected) << test.what;
    }
}

TEST(ImageLabel, IsEmptyWhenTheImageIsMissingOrCannotBeLoaded) {
    ExactImages missing;
    missing.isoImages[IDR_MIGRATION_ISO] = ImageWithIdentifier(kLabelEnd, "MIGRATION");
    EXPECT_EQ(ReadImageLabel(missing), "");

    ExactImages unloadable;
    unloadable.isoImages[IDR_MAIN_ISO] = ImageWithIdentifier(kLabelEnd, "KESTRN");
    unloadable.loadFails = true;
    EXPECT_EQ(ReadImageLabel(unloadable), "");
}

} // namespace
