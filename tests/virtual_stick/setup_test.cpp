// What the program starts from: the scenario and the disc it is given, and the descriptors it
// hands FunctionFS.

#include "ffs_descriptors.h"
#include "stick_inputs.h"

#include "vstick_test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vstick {
namespace {

using test::Bytes;

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(StickInputs, NeedAScenarioWithAStickAndAnIsoVolume) {
    test::TempFolder folder;
    const std::string iso = folder.path() + "/volume.iso";
    WriteFile(iso, test::MakeVolume(30, 0));
    const std::string blank = folder.path() + "/blank.bin";
    WriteFile(blank, Bytes(40 * 2048, 0));
    const std::string misspelt = folder.path() + "/misspelt.json";
    WriteFile(misspelt, Bytes{'{', '"', 's', 't', 'i', 'c', '"', ':', '{', '}', '}'});
    const std::string scenarios = KESTRUN_SCENARIO_DIR;

    struct Case {
        const char* name;
        std::string scenario;
        std::string medium;
        const char* error; // nothing: it loads
    };
    const Case cases[] = {
        {"a stick and a volume", scenarios + "/single-stage-success.json", iso, nullptr},
        {"no stick", scenarios + "/no-stick.json", iso, "no stick drive"},
        {"a misspelt key", misspelt, iso, "unknown key"},
        {"no scenario", folder.path() + "/none.json", iso, "cannot be opened"},
        {"no volume on the disc", scenarios + "/single-stage-success.json", blank,
         "not an ISO 9660"},
        {"no disc", scenarios + "/single-stage-success.json", folder.path() + "/none.iso",
         "cannot be opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const std::optional<StickInputs> inputs = LoadStickInputs(c.scenario, c.medium, error);
        if (c.error == nullptr) {
            ASSERT_TRUE(inputs) << error;
            EXPECT_EQ(inputs->medium->sectors(), 30u);
            EXPECT_EQ(inputs->medium->name(), "volume.iso");
            ASSERT_EQ(inputs->script.images.size(), 1u) << "the scenario's stick script";
            EXPECT_EQ(inputs->script.images[0].installsVersion, "4, 0, 1, 3");
        } else {
            EXPECT_FALSE(inputs);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

TEST(StickInputs, PadAVolumeToWholeSectors) {
    Bytes bytes = test::MakeVolume(17, 0);
    bytes.resize(bytes.size() + 100, 0xEE);
    const Medium medium("odd", bytes);
    EXPECT_EQ(medium.sectors(), 18u);
    const std::span<const std::uint8_t> last = medium.read(17, 1);
    EXPECT_EQ(last[99], 0xEE);
    EXPECT_EQ(last[100], 0) << "padded with zeros";
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

TEST(FunctionFsBlocks, DescribeOneBulkOnlyMassStorageInterfaceAtTwoSpeeds) {
    const Bytes d = FunctionFsDescriptors();
    ASSERT_EQ(d.size(), 20u + 2 * (9 + 7 + 7));
    EXPECT_EQ(Le32(d, 0), 3u) << "FUNCTIONFS_DESCRIPTORS_MAGIC_V2";
    EXPECT_EQ(Le32(d, 4), d.size());
    EXPECT_EQ(Le32(d, 8), 3u) << "full and high speed";
    EXPECT_EQ(Le32(d, 12), 3u);
    EXPECT_EQ(Le32(d, 16), 3u);
    for (const auto& [at, packet] : {std::pair{20u, 64u}, std::pair{43u, 512u}}) {
        SCOPED_TRACE(packet);
        EXPECT_EQ(Bytes(d.begin() + at, d.begin() + at + 9),
                  (Bytes{9, 4, 0, 0, 2, 0x08, 0x06, 0x50, 1}));
        EXPECT_EQ(Bytes(d.begin() + at + 9, d.begin() + at + 23),
                  (Bytes{7, 5, 0x81, 2, static_cast<std::uint8_t>(packet & 0xFF),
                         static_cast<std::uint8_t>(packet >> 8), 0, 7, 5, 0x02, 2,
                         static_cast<std::uint8_t>(packet & 0xFF),
                         static_cast<std::uint8_t>(packet >> 8), 0}));
    }

    const Bytes s = FunctionFsStrings();
    EXPECT_EQ(Le32(s, 0), 2u) << "FUNCTIONFS_STRINGS_MAGIC";
    EXPECT_EQ(Le32(s, 4), s.size());
    EXPECT_EQ(Le32(s, 8), 1u);
    EXPECT_EQ(Le32(s, 12), 1u);
    EXPECT_EQ(s[16], 0x09);
    EXPECT_EQ(s[17], 0x04);
    EXPECT_EQ(std::string(s.begin() + 18, s.end()), std::string(kInterfaceName) + '\0');
}

} // namespace
} // namespace vstick
