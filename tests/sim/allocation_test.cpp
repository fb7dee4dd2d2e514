// With recording off, the machine's hot paths allocate nothing: a benchmark counts heap
// allocations per command of the tool, and the simulator must not add any of its own.

#include "platform/sim/machine.h"

#include "allocation_counter.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

TEST(Allocation, CommandsSleepsAndControlChangesAllocateNothingWithRecordingOff) {
    Scenario scenario;
    ImageScript image;
    image.preCheck = Reply::Busy();
    image.polls[0] = {Reply::Busy()};
    scenario.stick.images = {image};
    scenario.drives = {MakeStickDrive('E')};
    Machine machine(scenario);
    machine.setRecording(false);
    platform::Platform& pc = machine.platform();
    const auto handle = pc.storage.open("\\\\.\\E:", platform::OpenMode::PassThrough).handle;
    alignas(64) static std::array<std::uint8_t, 4096> buffer{};
    constexpr std::uint32_t kTotal = 3 * 4096;

    auto status = test::Request(test::kStatusCdb, platform::kScsiDataIn, buffer.data(), 12, 1);
    ASSERT_TRUE(pc.storage.passThrough(handle, status));
    // Chunk 0 makes room for the whole image; from here on nothing is allocated.
    auto first = test::Request(test::WriteCdb(2, false, kTotal, 4096, 0), platform::kScsiDataOut,
                               buffer.data(), 4096, 5);
    ASSERT_TRUE(pc.storage.passThrough(handle, first));
    ASSERT_EQ(first.ScsiStatus, 0);

    const long before = alloc::Allocations();
    for (std::uint32_t chunk = 1; chunk < 3; ++chunk) {
        status = test::Request(test::kStatusCdb, platform::kScsiDataIn, buffer.data(), 12, 3);
        EXPECT_TRUE(pc.storage.passThrough(handle, status));
        pc.clock.sleep(500);
        auto write = test::Request(test::WriteCdb(2, chunk == 2, kTotal, 4096, chunk),
                                   platform::kScsiDataOut, buffer.data(), 4096, 5);
        EXPECT_TRUE(pc.storage.passThrough(handle, write));
        EXPECT_EQ(write.ScsiStatus, 0);
        pc.clock.sleep(100);
        pc.controls.setText(1000, "Uploading ISO Image... (66%) with a text longer than the "
                                  "small-string buffer of any standard library");
        pc.controls.setProgressPos(1002, 66);
        pc.controls.enable(2, false);
    }
    status = test::Request(test::kStatusCdb, platform::kScsiDataIn, buffer.data(), 12, 1);
    EXPECT_TRUE(pc.storage.passThrough(handle, status)); // the verdict, and the reboot
    const long during = alloc::Allocations() - before;

    EXPECT_EQ(during, 0);
    EXPECT_TRUE(machine.receivedImages().at(0).complete);
}

} // namespace
} // namespace sim
