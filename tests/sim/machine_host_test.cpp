// The machine's clock, worker threads and dialog controls.

#include "platform/sim/machine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace sim {
namespace {

TEST(MachineClock, SleepsAdvanceVirtualTimeAtOnce) {
    Machine machine(Scenario{});
    platform::Clock& clock = machine.platform().clock;
    EXPECT_EQ(clock.nowMs(), 0u);
    clock.sleep(120'000);
    clock.sleep(300);
    EXPECT_EQ(clock.nowMs(), 120'300u);
    EXPECT_EQ(machine.nowMs(), 120'300u);
}

TEST(MachineClock, SleepsFromTwoThreadsAddUp) {
    Machine machine(Scenario{});
    platform::Clock& clock = machine.platform().clock;
    std::thread other([&] {
        for (int i = 0; i < 1000; ++i) {
            clock.sleep(1);
        }
    });
    for (int i = 0; i < 1000; ++i) {
        clock.sleep(2);
    }
    other.join();
    EXPECT_EQ(clock.nowMs(), 3000u);
}

TEST(MachineThreads, AWorkerRunsOnlyOnceResumed) {
    Machine machine(Scenario{});
    platform::Threads& threads = machine.platform().threads;
    std::atomic<int> held{0};
    std::atomic<int> resumed{0};

    const platform::ThreadHandle never = threads.createSuspended([&] { ++held; });
    const platform::ThreadHandle worker = threads.createSuspended([&] { ++resumed; });
    ASSERT_NE(never, platform::ThreadHandle::None);
    ASSERT_NE(worker, platform::ThreadHandle::None);
    EXPECT_NE(never, worker);
    threads.resume(worker);
    threads.close(worker);
    EXPECT_EQ(machine.openThreadHandles(), 1u);
    machine.joinWorkers();

    EXPECT_EQ(resumed.load(), 1);
    EXPECT_EQ(held.load(), 0) << "a worker never resumed is let go without running";
}

TEST(MachineThreads, CreationCanFail) {
    Scenario scenario;
    scenario.threadCreationFails = true;
    Machine machine(scenario);
    bool ran = false;
    EXPECT_EQ(machine.platform().threads.createSuspended([&] { ran = true; }),
              platform::ThreadHandle::None);
    machine.joinWorkers();
    EXPECT_FALSE(ran);
}

TEST(MachineControls, KeepTheStateTheToolLeaves) {
    Machine machine(Scenario{});
    platform::DialogControls& controls = machine.platform().controls;
    controls.setText(2, "OK");
    controls.enable(1001, false);
    controls.setProgressRange(1002, 0, 120);
    controls.setProgressPos(1002, 62);
    controls.enableCloseCommand(false);

    const ControlsSnapshot state = machine.controls();
    EXPECT_EQ(state.control(2).text, "OK");
    EXPECT_TRUE(state.control(2).enabled);
    EXPECT_FALSE(state.control(1001).enabled);
    EXPECT_EQ(state.control(1002).high, 120);
    EXPECT_EQ(state.control(1002).position, 62);
    EXPECT_FALSE(state.closeCommandEnabled);
    EXPECT_TRUE(state.control(4242).enabled) << "an untouched control is in its default state";

    controls.setProgressRange(1002, 0, 20);
    controls.setProgressPos(1002, 62);
    EXPECT_EQ(machine.controls().control(1002).position, 20) << "the bar stays in its range";
}

TEST(MachineControls, RecordEveryStatusTextAndTellTheObserver) {
    Machine machine(Scenario{});
    std::vector<std::string> seen;
    machine.setStatusObserver([&](std::string_view text) { seen.emplace_back(text); });
    platform::DialogControls& controls = machine.platform().controls;
    controls.setText(1000, "Uploading ISO Image...");
    controls.setText(1005, "KESTRN");
    controls.setText(1000, "Uploading ISO Image... (42%)");
    controls.setText(1000, "Wait 20 seconds for dongle reboot. \r\nDon't Remove dongle");

    const std::vector<std::string> expected = {
        "Uploading ISO Image...", "Uploading ISO Image... (42%)",
        "Wait 20 seconds for dongle reboot. \r\nDon't Remove dongle"};
    EXPECT_EQ(machine.statusHistory(), expected);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(machine.controls().control(1000).text, expected.back());
    EXPECT_EQ(machine.controls().control(1005).text, "KESTRN");
}

} // namespace
} // namespace sim
