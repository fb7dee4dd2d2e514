// Reading the stick's installed version from its resident application.

#include "rig.h"

#include "update/installed_version.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>

namespace {

struct VersionCase {
    const char* name;
    std::string productVersion;
    int expected;
};

class InstalledVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(InstalledVersion, MajorFromTheStartOfTheText) {
    const VersionCase& c = GetParam();
    test::Rig rig(test::StickPc(c.productVersion));
    std::array<char, kVersionTextSize> text{};
    EXPECT_EQ(ReadInstalledVersion(rig.machine.platform().versionInfo, 'E', text), c.expected);
    EXPECT_EQ(std::string(text.data()), c.productVersion) << "copied whatever the result";
}

INSTANTIATE_TEST_SUITE_P(Texts, InstalledVersion,
                         ::testing::Values(VersionCase{"One", "1, 0, 3, 5", 1},
                                           VersionCase{"Four", "4, 0, 1, 3", 4},
                                           VersionCase{"Dotted", "4.0.1.3", -5},
                                           VersionCase{"NoLeadingNumber", "v1, 2, 3, 4", 0},
                                           VersionCase{"LeadingBlanks", "  12, 0", 12},
                                           VersionCase{"Negative", "-3, 1, 0, 0", -3},
                                           VersionCase{"DotBeforeComma", "2.5, 1", 2},
                                           // never wrapped into a small, plausible major version
                                           VersionCase{"Huge", "4294967297, 0", INT_MAX},
                                           VersionCase{"HugeNegative", "-4294967297, 0", INT_MIN}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(ReadInstalledVersion, FailuresOfTheVersionBlock) {
    struct Case {
        const char* name;
        sim::VersionBlockState block;
        std::string translation;
        bool present;
        int expected;
    };
    const Case cases[] = {
        {"no file", sim::VersionBlockState::Ok, "000004b0", false, -1},
        {"no block", sim::VersionBlockState::Missing, "000004b0", true, -1},
        {"unreadable", sim::VersionBlockState::Unreadable, "000004b0", true, -3},
        {"other translation", sim::VersionBlockState::Ok, "041104b0", true, -4},
    };
    for (const Case& c : cases) {
        sim::Scenario scenario = test::StickPc("1, 0, 0, 0");
        sim::DriveSpec& stick = test::Drive(scenario, 'E');
        if (!c.present) {
            stick.files.clear();
        } else {
            stick.files[0].block = c.block;
            stick.files[0].translation = c.translation;
        }
        test::Rig rig(scenario);
        std::array<char, kVersionTextSize> text{};
        EXPECT_EQ(ReadInstalledVersion(rig.machine.platform().versionInfo, 'E', text), c.expected)
            << c.name;
        EXPECT_EQ(text[0], '\0') << c.name;
        EXPECT_EQ(rig.start(), IDS_CANNOT_START) << c.name;
        EXPECT_EQ(rig.dlg.m_pSpti, nullptr) << c.name;
    }
}

// A text of 256 characters or more is cut to the buffer, which always ends with a zero.
TEST(ReadInstalledVersion, LongTextStaysInsideTheBuffer) {
    const std::string longVersion = "1, " + std::string(300, '7');
    test::Rig rig(test::StickPc(longVersion));
    std::array<char, kVersionTextSize + 8> guarded{};
    guarded.fill('#');
    const std::span<char> text(guarded.data(), kVersionTextSize);
    EXPECT_EQ(ReadInstalledVersion(rig.machine.platform().versionInfo, 'E', text), 1);
    EXPECT_EQ(std::string(text.data()), longVersion.substr(0, kVersionTextSize - 1));
    EXPECT_EQ(std::string(guarded.data() + kVersionTextSize, 8), std::string(8, '#'));
}

TEST(ReadInstalledVersion, WithoutBufferStillGivesTheMajor) {
    test::Rig rig(test::StickPc("3, 1, 0, 0"));
    EXPECT_EQ(ReadInstalledVersion(rig.machine.platform().versionInfo, 'E', {}), 3);
}

TEST(StartEngine, MajorOneChoosesTheTwoStagePlan) {
    for (const auto& [version, twoStage] :
         {std::pair{"1, 0, 3, 5", true}, std::pair{"2, 0, 0, 0", false},
          std::pair{"4, 0, 1, 2", false}}) {
        test::Rig rig(test::StickPc(version));
        EngineFacts facts;
        EXPECT_EQ(rig.dlg.StartEngine(facts), 0u);
        EXPECT_STREQ(facts.stickVersion, version);
        EXPECT_EQ(facts.volumeLabel, "KESTRN" + std::string(26, ' '));
        EXPECT_EQ(rig.dlg.m_bTwoStage, twoStage) << version;
        EXPECT_NE(rig.dlg.m_pszStage, nullptr);
    }
}

} // namespace
