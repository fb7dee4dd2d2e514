// The three images as the executable carries them: found by type name and id in the resources
// linked into this very test, with the catalogue's lengths, in place.

#include "embedded_resources.h"
#include "expected_lengths.h"
#include "platform/resfile/res_file_resources.h"

#include <gtest/gtest.h>

namespace {

using platform::EmbeddedResources;
using platform::ResourceHandle;
using platform::resfile::ResFileResources;

constexpr std::uint16_t kJapanese = 1041;

TEST(PayloadCatalogue, EveryImageIsFoundWithItsLengthInPlace) {
    const auto blob = EmbeddedResources();
    ResFileResources resources(blob);
    for (const CatalogueEntry& entry : kCatalogue) {
        SCOPED_TRACE(entry.id);
        const ResourceHandle handle = resources.find(entry.typeName, entry.id);
        ASSERT_NE(handle, ResourceHandle::None);
        const auto bytes = resources.load(handle);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->size(), ExpectedLength(entry));
        // Loaded means pointed at, never copied.
        EXPECT_GE(bytes->data(), blob.data());
        EXPECT_LE(bytes->data() + bytes->size(), blob.data() + blob.size());
        // Stored once, in Japanese.
        const auto* stored = resources.index().find(entry.typeName, entry.id);
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored->language, kJapanese);
        EXPECT_EQ(resources.index().find(entry.typeName, entry.id, kJapanese), stored);
    }
}

TEST(PayloadCatalogue, TheIsoTypeIsFoundInAnyCase) {
    ResFileResources resources(EmbeddedResources());
    for (const char* typeName : {"IsoImage", "ISOIMAGE", "isoimage", "isoImage"}) {
        EXPECT_NE(resources.find(typeName, IDR_MAIN_ISO), ResourceHandle::None) << typeName;
        EXPECT_NE(resources.find(typeName, IDR_MIGRATION_ISO), ResourceHandle::None) << typeName;
    }
}

TEST(PayloadCatalogue, AnIdItDoesNotHoldGivesNothing) {
    ResFileResources resources(EmbeddedResources());
    struct Case {
        const char* typeName;
        std::uint16_t id;
    };
    for (const Case& missing : {Case{kIsoImageType, 134}, Case{kIsoImageType, IDR_MIGRATION_KERNEL},
                                Case{kKernelImageType, IDR_MAIN_ISO}, Case{"Iso", IDR_MAIN_ISO}}) {
        EXPECT_EQ(resources.find(missing.typeName, missing.id), ResourceHandle::None)
            << missing.typeName << " " << missing.id;
    }
}

} // namespace
