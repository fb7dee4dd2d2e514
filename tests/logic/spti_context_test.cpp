// Opening a drive for pass-through: the adapter's geometry, the aligned buffer, and what a failed
// open leaves behind.

#include "rig.h"

#include "device/spti_context.h"
#include "device/stick_discovery.h"
#include "device/vendor_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <mutex>

namespace {

using test::Rig;

struct TransferCase {
    std::uint32_t pages;
    std::uint32_t maxLength;
    std::uint32_t expected;
};

class TransferSize : public ::testing::TestWithParam<TransferCase> {};

TEST_P(TransferSize, FollowsPagesThenCapThenFloor) {
    const TransferCase& c = GetParam();
    EXPECT_EQ(ComputeTransferSize(c.maxLength, c.pages), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, TransferSize,
    ::testing::Values(TransferCase{17, 65536, 65536}, TransferCase{33, 65536, 65536},
                      TransferCase{0, 131072, 4096}, TransferCase{1, 131072, 4096},
                      TransferCase{17, 2048, 4096}, TransferCase{0, 0, 4096},
                      TransferCase{31, 0xFFFFFFFF, 30 * 4096},
                      // pages x 4096 wraps at 2^32 (0x100001 - 1 pages = 4096 bytes)
                      TransferCase{0x100002, 0xFFFFFFFF, 4096},
                      // held inside the write command's 24-bit chunk length
                      TransferCase{0x10000, 0xFFFFFFFF, 0xFFF000},
                      TransferCase{0x1001, 0x1000000, 0xFFF000}));

// Opens the stick drive E: on a fresh context and reports the code.
std::int32_t OpenStick(SptiContext& context) {
    FormatDevicePath(context.m_szPath, 'E');
    return OpenSptiContext(context, context.m_szPath);
}

TEST(SptiContext, AdapterGeometrySetsTransferSizeAndAlignedBuffer) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').adapter = sim::AdapterLimits{131072, 9, 0x1FF};
    Rig rig(scenario);
    SptiContext context(rig.machine.platform().storage);

    ASSERT_EQ(OpenStick(context), 0);
    EXPECT_EQ(context.m_dwTransferSize, 8u * 4096);
    EXPECT_EQ(context.m_dwAlignmentMask, 0x1FFu);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(context.m_pBuffer) % 0x200, 0u);
    EXPECT_GE(context.m_pBuffer, context.m_pBlock.get());
    EXPECT_LE(context.m_pBuffer, context.m_pBlock.get() + 0x1FF);
    CloseSptiContext(context);
    EXPECT_EQ(context.m_hDevice, platform::DeviceHandle::None);
    EXPECT_EQ(context.m_pBuffer, nullptr);
    EXPECT_EQ(rig.machine.openDeviceCount(), 0u);
}

// With no adapter descriptor the transfer size stays 2048, yet the buffer takes a whole
// 4096-byte identify reply (ASan watches the copy).
TEST(SptiContext, NoAdapterDescriptorKeepsTransferSizeAndBufferHoldsIdentify) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').adapter.reset();
    scenario.stick.identifyLength = 4096;
    Rig rig(scenario);
    SptiContext context(rig.machine.platform().storage);

    ASSERT_EQ(OpenStick(context), 0);
    EXPECT_EQ(context.m_dwTransferSize, kInitialTransferSize);
    EXPECT_EQ(context.m_dwAlignmentMask, 0u);
    std::array<std::uint8_t, kIdentifyLength> reply{};
    std::lock_guard guard(context.m_lock);
    EXPECT_EQ(SendIdentify(context, reply), 4096);
}

TEST(SptiContext, LaterDriveWithoutDescriptorKeepsEarlierTransferSize) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').adapter = sim::AdapterLimits{65536, 17, 0};
    sim::DriveSpec other = sim::MakeStickDrive('F');
    other.stick = false;
    other.adapter.reset();
    scenario.drives.push_back(other);
    Rig rig(scenario);
    SptiContext context(rig.machine.platform().storage);

    ASSERT_EQ(OpenStick(context), 0);
    FormatDevicePath(context.m_szPath, 'F');
    ASSERT_EQ(OpenSptiContext(context, context.m_szPath), 0);
    EXPECT_EQ(context.m_dwTransferSize, 65536u);
}

struct QueryFailureCase {
    const char* name;
    sim::QueryStep step;
    std::uint32_t error;
    bool tolerated;
    std::int32_t expectedResult;
    std::uint32_t expectedTransferSize; // when open
    std::uint32_t expectedMask;
};

class GeometryQueryFailure : public ::testing::TestWithParam<QueryFailureCase> {};

TEST_P(GeometryQueryFailure, ToleratedErrorsOpenFatalOnesClose) {
    const QueryFailureCase& c = GetParam();
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').queryFailure = sim::QueryFailure{c.step, c.error, c.tolerated};
    Rig rig(scenario);
    SptiContext context(rig.machine.platform().storage);

    EXPECT_EQ(OpenStick(context), c.expectedResult);
    if (c.expectedResult == 0) {
        EXPECT_NE(context.m_hDevice, platform::DeviceHandle::None);
        EXPECT_EQ(context.m_dwTransferSize, c.expectedTransferSize);
        EXPECT_EQ(context.m_dwAlignmentMask, c.expectedMask);
    } else {
        EXPECT_EQ(context.m_hDevice, platform::DeviceHandle::None);
        EXPECT_EQ(context.m_pBlock, nullptr);
        EXPECT_EQ(rig.machine.openDeviceCount(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Queries, GeometryQueryFailure,
    ::testing::Values(
        // a failed full adapter query leaves an all-zero descriptor: 4096, mask 0
        QueryFailureCase{"AdapterFullNotSupported", sim::QueryStep::AdapterFull, 50, true, 0, 4096,
                         0},
        // a failed header query leaves Size 0: no descriptor, the size stays
        QueryFailureCase{"AdapterHeaderInvalidFunction", sim::QueryStep::AdapterHeader, 1, true, 0,
                         2048, 0},
        QueryFailureCase{"DeviceFullMoreData", sim::QueryStep::DeviceFull, 234, true, 0, 65536, 1},
        QueryFailureCase{"AdapterHeaderDenied", sim::QueryStep::AdapterHeader, 5, false, 5, 0, 0},
        // the adapter's geometry was read, yet the device query's failure closes the context
        QueryFailureCase{"DeviceFullGeneralFailure", sim::QueryStep::DeviceFull, 31, false, 31, 0,
                         0},
        QueryFailureCase{"DeviceHeaderNotReady", sim::QueryStep::DeviceHeader, 21, false, 21, 0,
                         0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// A descriptor that ends before the fields the tool reads is no descriptor at all (ASan would
// see a read past its end).
TEST(SptiContext, ShortAdapterDescriptorCountsAsNone) {
    for (const std::uint32_t size : {8u, 12u, 16u, 19u}) {
        sim::Scenario scenario = test::StickPc();
        test::Drive(scenario, 'E').adapterDescriptorSize = size;
        Rig rig(scenario);
        SptiContext context(rig.machine.platform().storage);
        ASSERT_EQ(OpenStick(context), 0) << size;
        EXPECT_EQ(context.m_dwTransferSize, kInitialTransferSize) << size;
        EXPECT_EQ(context.m_dwAlignmentMask, 0u) << size;
    }
}

TEST(SptiContext, SecondDriveReplacesFirstOnlyOnceItIsOpen) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'D').openError = 5;
    Rig rig(scenario);
    SptiContext context(rig.machine.platform().storage);
    ASSERT_EQ(OpenStick(context), 0);
    const platform::DeviceHandle first = context.m_hDevice;

    FormatDevicePath(context.m_szPath, 'D');
    EXPECT_EQ(OpenSptiContext(context, context.m_szPath), 5);
    EXPECT_EQ(context.m_hDevice, first);
    {
        StatusReply reply;
        std::lock_guard guard(context.m_lock);
        EXPECT_EQ(SendGetStatus(context, reply, 1), 12) << "the first drive stays usable";
    }

    FormatDevicePath(context.m_szPath, 'C');
    ASSERT_EQ(OpenSptiContext(context, context.m_szPath), 0);
    EXPECT_NE(context.m_hDevice, first);
    EXPECT_EQ(rig.machine.openDeviceCount(), 1u) << "the first handle was closed";
}

TEST(SptiContext, CloseOfClosedContextChangesNothing) {
    Rig rig(test::StickPc());
    SptiContext context(rig.machine.platform().storage);
    CloseSptiContext(context);
    CloseSptiContext(context);
    EXPECT_EQ(context.m_hDevice, platform::DeviceHandle::None);
    EXPECT_TRUE(rig.machine.protocolViolations().empty());
    EXPECT_TRUE(rig.events("close").empty());
}

} // namespace
