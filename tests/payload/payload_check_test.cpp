// The build's payload check: it passes the images this build embedded and rejects each kind of
// damage with a fault that names what is wrong.

#include "byte_fields.h"
#include "crc32.h"
#include "embedded_resources.h"
#include "expected_lengths.h"
#include "image_check.h"
#include "iso_check.h"
#include "kernel_check.h"
#include "platform/resfile/res_file_resources.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using payload::FindImageFault;
using payload::kSectorSize;
using Image = std::vector<std::uint8_t>;

Image EmbeddedImage(const CatalogueEntry& entry) {
    platform::resfile::ResFileResources resources(platform::EmbeddedResources());
    const auto bytes = resources.load(resources.find(entry.typeName, entry.id));
    return bytes ? Image(bytes->begin(), bytes->end()) : Image{};
}

void PutBigEndian32(Image& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image.at(offset + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// Both byte orders of an ISO size field, so that only the value is wrong.
void PutBothEndian32(Image& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        image.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    PutBigEndian32(image, offset + 4, value);
}

// After a header field is changed on purpose, so that only that field is wrong.
void ResealHeader(Image& image) {
    PutBigEndian32(image, payload::kUBootHeaderCrcOffset, 0);
    PutBigEndian32(image, payload::kUBootHeaderCrcOffset,
                   payload::Crc32(std::span(image).first(payload::kUBootHeaderSize)));
}

constexpr std::size_t kPrimary = 16 * kSectorSize;
constexpr std::size_t kJoliet = 17 * kSectorSize;
constexpr std::size_t kVolumeSpaceSize = 80;

std::uint32_t Sectors(const Image& image) {
    return static_cast<std::uint32_t>(image.size() / kSectorSize);
}

struct Corruption {
    const char* what;
    const CatalogueEntry& entry;
    std::function<void(Image&)> apply;
    const char* fault; // a phrase the fault must contain
};

const Corruption kCorruptions[] = {
    {"wrong magic", kMigrationKernel, [](Image& image) { image[0] ^= 0xFF; }, "magic"},
    {"header changed after sealing", kMigrationKernel, [](Image& image) { image[40] ^= 0x01; },
     "header CRC"},
    {"wrong header CRC", kMigrationKernel,
     [](Image& image) { image[payload::kUBootHeaderCrcOffset] ^= 0x80; }, "header CRC"},
    {"data changed", kMigrationKernel, [](Image& image) { image[100000] ^= 0x10; }, "data CRC"},
    {"wrong data CRC", kMigrationKernel,
     [](Image& image) {
         image[payload::kUBootDataCrcOffset + 3] ^= 0x01;
         ResealHeader(image);
     },
     "data CRC"},
    {"data length too long", kMigrationKernel,
     [](Image& image) {
         PutBigEndian32(image, payload::kUBootDataSizeOffset,
                        payload::ReadBigEndian32(image, payload::kUBootDataSizeOffset) + 1);
         ResealHeader(image);
     },
     "data length"},
    {"truncated kernel", kMigrationKernel, [](Image& image) { image.resize(image.size() - 1); },
     "data length"},
    {"kernel without a whole header", kMigrationKernel, [](Image& image) { image.resize(63); },
     "64-byte"},
    {"no primary descriptor", kMainIso, [](Image& image) { image[kPrimary + 5] = '2'; },
     "primary volume descriptor"},
    {"missing Joliet descriptor", kMainIso,
     [](Image& image) { std::fill_n(image.begin() + kJoliet, kSectorSize, std::uint8_t{0}); },
     "Joliet supplementary"},
    {"supplementary descriptor that is not Joliet", kMigrationIso,
     [](Image& image) { image[kJoliet + 90] = 'F'; }, "Joliet supplementary"},
    {"wrong primary volume space size", kMainIso,
     [](Image& image) { PutBothEndian32(image, kPrimary + kVolumeSpaceSize, Sectors(image) + 1); },
     "primary descriptor gives a volume space size"},
    {"wrong Joliet volume space size", kMigrationIso,
     [](Image& image) { PutBothEndian32(image, kJoliet + kVolumeSpaceSize, Sectors(image) - 1); },
     "Joliet descriptor gives a volume space size"},
    {"volume space size byte orders disagree", kMainIso,
     [](Image& image) { image[kPrimary + kVolumeSpaceSize + 4] ^= 0x01; }, "byte orders"},
    {"wrong logical block size", kMigrationIso,
     [](Image& image) {
         image[kJoliet + 129] = 0x04;
         image[kJoliet + 130] = 0x04;
     },
     "logical block size"},
    {"truncated by a sector", kMainIso,
     [](Image& image) { image.resize(image.size() - kSectorSize); }, "volume space size"},
    {"truncated inside a sector", kMigrationIso,
     [](Image& image) { image.resize(image.size() - 100); }, "whole number"},
    {"truncated before the descriptors", kMigrationIso,
     [](Image& image) { image.resize(17 * kSectorSize); }, "ends before"},
};

TEST(PayloadCheck, PassesTheEmbeddedImages) {
    for (const CatalogueEntry& entry : kCatalogue) {
        const Image image = EmbeddedImage(entry);
        ASSERT_FALSE(image.empty()) << entry.id;
        EXPECT_EQ(FindImageFault(entry, image, ExpectedLength(entry)), std::nullopt) << entry.id;
    }
}

TEST(PayloadCheck, RejectsEachCorruptionWithItsFault) {
    for (const Corruption& corruption : kCorruptions) {
        SCOPED_TRACE(corruption.what);
        Image image = EmbeddedImage(corruption.entry);
        ASSERT_FALSE(image.empty());
        corruption.apply(image);
        const auto fault =
            FindImageFault(corruption.entry, image, ExpectedLength(corruption.entry));
        ASSERT_TRUE(fault);
        EXPECT_NE(fault->find(corruption.fault), std::string::npos) << *fault;
    }
}

TEST(PayloadCheck, RejectsASoundImageOfTheWrongLength) {
    for (const CatalogueEntry& entry : kCatalogue) {
        const Image image = EmbeddedImage(entry);
        const auto fault = FindImageFault(entry, image, image.size() + kSectorSize);
        ASSERT_TRUE(fault) << entry.id;
        EXPECT_NE(fault->find("expected"), std::string::npos) << *fault;
    }
}

} // namespace
