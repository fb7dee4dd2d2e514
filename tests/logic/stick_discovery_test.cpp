// Finding the stick: the tool's own drive first, then up to ten scans 200 ms apart, each drive
// tested by type, bus, vendor, product and the identify command.

#include "rig.h"

#include "device/stick_discovery.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using test::Rig;

std::size_t CountOpens(const Rig& rig, const std::string& mode) {
    std::size_t count = 0;
    for (const auto& event : rig.events("open")) {
        count += event.fields["mode"] == mode ? 1 : 0;
    }
    return count;
}

TEST(LocateStick, OwnDriveIsProbedFirstWithoutScan) {
    sim::Scenario scenario = test::StickPc();
    scenario.modulePath = "E:\\Kestrun.exe";
    Rig rig(scenario);
    EXPECT_EQ(rig.start(), 0u);
    EXPECT_EQ(rig.dlg.m_chDrive, 'E');
    EXPECT_EQ(rig.machine.driveListCalls(), 0u);
    EXPECT_TRUE(rig.sleeps().empty());
}

TEST(LocateStick, FoundByScanFromAnotherDrive) {
    Rig rig(test::StickPc());
    EXPECT_EQ(rig.start(), 0u);
    EXPECT_EQ(rig.dlg.m_chDrive, 'E');
    EXPECT_EQ(rig.machine.driveListCalls(), 1u);
    EXPECT_TRUE(rig.sleeps().empty());
    // The DVD drive is opened for its descriptor only and never sent a vendor command.
    EXPECT_EQ(rig.machine.foreignCommandCount(), 0u);
    EXPECT_EQ(rig.cdbs(), std::vector<std::string>{"e7021000010000000000000000000000"});
    EXPECT_EQ(CountOpens(rig, "pass_through"), 1u);
    EXPECT_EQ(rig.machine.openDeviceCount(), 0u) << "discovery leaves the context closed";
}

TEST(LocateStick, NoStickCostsTenScansAndTenPauses) {
    sim::Scenario scenario = test::StickPc();
    scenario.drives.pop_back();
    Rig rig(scenario);
    EXPECT_EQ(rig.start(), IDS_NO_STICK);
    EXPECT_EQ(rig.dlg.m_chDrive, 0);
    EXPECT_EQ(rig.dlg.m_pSpti, nullptr);
    EXPECT_EQ(rig.machine.driveListCalls(), 10u);
    EXPECT_EQ(rig.sleeps(), std::vector<std::uint32_t>(10, 200));
    EXPECT_EQ(rig.machine.nowMs(), 2000u) << "the tenth pause comes before giving up";
}

TEST(LocateStick, StickAppearingDuringThePausesIsFoundByTheNextScan) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').visibleAfterScans = 3;
    Rig rig(scenario);
    EXPECT_EQ(rig.start(), 0u);
    EXPECT_EQ(rig.dlg.m_chDrive, 'E');
    EXPECT_EQ(rig.machine.driveListCalls(), 4u);
    EXPECT_EQ(rig.sleeps(), std::vector<std::uint32_t>(3, 200));
}

// A path without a drive letter gives an empty drive part: its probe fails, the scans follow.
TEST(LocateStick, ModulePathWithoutDriveLetterFallsBackToScans) {
    sim::Scenario scenario = test::StickPc();
    scenario.modulePath = "\\\\server\\tools\\Kestrun.exe";
    Rig rig(scenario);
    char root[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetModuleDrive(rig.machine.platform(), root), 0);
    EXPECT_EQ(root[0], '\0');
    EXPECT_EQ(rig.start(), 0u);
    EXPECT_EQ(rig.dlg.m_chDrive, 'E');
}

TEST(GetModuleDrive, GivesTheRootOfTheProgramsDrive) {
    Rig rig(test::StickPc());
    char root[4] = {};
    EXPECT_EQ(GetModuleDrive(rig.machine.platform(), root), 0);
    EXPECT_STREQ(root, "C:\\");
    EXPECT_EQ(GetModuleDrive(rig.machine.platform(), std::span<char>()), -1);
}

// A failed or oversized drive list is no list: nothing is probed, and the search goes on.
TEST(FindStickDrive, UnusableDriveListIsEmpty) {
    for (const sim::DriveListMode mode : {sim::DriveListMode::Fail, sim::DriveListMode::Overflow}) {
        sim::Scenario scenario = test::StickPc();
        scenario.driveList = mode;
        Rig rig(scenario);
        EXPECT_EQ(rig.start(), IDS_NO_STICK);
        EXPECT_TRUE(rig.events("drive_type").size() == 1u) << "only the own drive is probed";
        EXPECT_EQ(rig.machine.driveListCalls(), 10u);
    }
}

TEST(FindStickDrive, WithoutOutputPlace) {
    Rig rig(test::StickPc());
    EXPECT_EQ(FindStickDrive(nullptr, rig.dlg), -1);
    EXPECT_EQ(rig.machine.driveListCalls(), 0u);
}

struct IdentityCase {
    const char* name;
    std::string vendor = "KORVALIN";
    std::string product = "QX-LM704";
    std::optional<std::uint32_t> vendorOffset = std::nullopt;
    std::optional<std::uint32_t> productOffset = std::nullopt;
    std::uint32_t bus = 7;
    std::uint32_t type = 5;
    bool found = false;
};

class StickIdentity : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(StickIdentity, DescriptorDecides) {
    const IdentityCase& c = GetParam();
    sim::Scenario scenario = test::StickPc();
    sim::DriveSpec& stick = test::Drive(scenario, 'E');
    stick.vendor = c.vendor;
    stick.product = c.product;
    stick.vendorOffset = c.vendorOffset;
    stick.productOffset = c.productOffset;
    stick.bus = c.bus;
    stick.type = c.type;
    Rig rig(scenario);
    rig.dlg.m_pSpti = std::make_unique<SptiContext>(rig.machine.platform().storage);
    LocateStick(rig.dlg);
    EXPECT_EQ(rig.dlg.m_chDrive, c.found ? 'E' : 0);
    // Only a drive whose descriptor shows the stick is sent a command.
    EXPECT_EQ(rig.cdbs().empty(), !c.found);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, StickIdentity,
    ::testing::Values(
        IdentityCase{.name = "Exact", .found = true},
        IdentityCase{.name = "PaddedVendor", .vendor = "KORVALIN    ", .found = true},
        IdentityCase{.name = "VendorWithMore", .vendor = "KORVALINX", .found = true},
        IdentityCase{.name = "PaddedProduct", .product = "QX-LM704        ", .found = true},
        IdentityCase{.name = "LowerCaseVendor", .vendor = "korvalin", .found = false},
        IdentityCase{.name = "ShortVendor", .vendor = "KORVAL", .found = false},
        IdentityCase{.name = "LowerCaseProduct", .product = "qx-lm704", .found = false},
        IdentityCase{.name = "OtherProduct", .product = "QX-LM705", .found = false},
        IdentityCase{.name = "ZeroVendorOffset", .vendorOffset = 0, .found = false},
        IdentityCase{.name = "ZeroProductOffset", .productOffset = 0, .found = false},
        IdentityCase{.name = "VendorOffsetPastBuffer", .vendorOffset = 5000, .found = false},
        IdentityCase{.name = "VendorOffsetAtBufferEnd", .vendorOffset = 4096, .found = false},
        IdentityCase{.name = "ProductOffsetWithoutRoom", .productOffset = 4090, .found = false},
        IdentityCase{.name = "ProductOffsetHuge", .productOffset = 0xFFFFFFF0, .found = false},
        IdentityCase{.name = "NotUsb", .bus = 11, .found = false},
        IdentityCase{.name = "NotCdrom", .type = 2, .found = false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(ProbeStickDrive, IdentifyWithoutDataIsNoStick) {
    for (const bool fails : {false, true}) {
        sim::Scenario scenario = test::StickPc();
        scenario.stick.identifyLength = 0;
        scenario.stick.identifyFails = fails;
        Rig rig(scenario);
        rig.dlg.m_pSpti = std::make_unique<SptiContext>(rig.machine.platform().storage);
        EXPECT_EQ(ProbeStickDrive("E:\\", rig.dlg), 0);
        EXPECT_EQ(rig.dlg.m_pSpti->m_hDevice, platform::DeviceHandle::None);
        EXPECT_EQ(rig.machine.openDeviceCount(), 0u);
        EXPECT_STREQ(rig.dlg.m_pSpti->m_szPath, "\\\\.\\E:");
        EXPECT_EQ(ProbeStickDrive(nullptr, rig.dlg), 0);
    }
}

TEST(ProbeStickDrive, UnopenableOrSilentDriveIsNoStick) {
    struct Case {
        const char* name;
        std::uint32_t openError;
        bool descriptorFails;
    };
    for (const Case c : {Case{"access denied", 5, false}, Case{"descriptor fails", 0, true}}) {
        sim::Scenario scenario = test::StickPc();
        test::Drive(scenario, 'E').openError = c.openError;
        test::Drive(scenario, 'E').descriptorQueryFails = c.descriptorFails;
        Rig rig(scenario);
        rig.dlg.m_pSpti = std::make_unique<SptiContext>(rig.machine.platform().storage);
        EXPECT_EQ(ProbeStickDrive("E:\\", rig.dlg), 0) << c.name;
        EXPECT_TRUE(rig.cdbs().empty()) << c.name;
    }
}

} // namespace
