// The worker threads of the real machine: held until resumed; a thread never resumed never runs
// its routine, and every thread is joined when the threads object goes.

#include "platform/host/std_threads.h"

#include <gtest/gtest.h>

#include <future>

namespace {

using platform::host::StdThreads;

TEST(StdThreads, RunsOnlyOnceResumed) {
    StdThreads threads;
    std::promise<void> ran;
    std::future<void> done = ran.get_future();
    bool resumedFirst = false;
    bool resumed = false;
    const auto handle = threads.createSuspended([&] {
        resumedFirst = resumed;
        ran.set_value();
    });
    ASSERT_NE(handle, platform::ThreadHandle::None);
    resumed = true; // written before resume(): the routine must see it
    threads.resume(handle);
    done.wait();
    EXPECT_TRUE(resumedFirst);
    threads.close(handle);
}

TEST(StdThreads, TheWorkerClosesItsOwnHandle) {
    StdThreads threads;
    std::promise<void> closed;
    std::future<void> done = closed.get_future();
    platform::ThreadHandle handle = platform::ThreadHandle::None;
    std::promise<platform::ThreadHandle> stored;
    std::future<platform::ThreadHandle> storedHandle = stored.get_future();
    handle = threads.createSuspended([&] {
        threads.close(storedHandle.get());
        closed.set_value();
    });
    ASSERT_NE(handle, platform::ThreadHandle::None);
    stored.set_value(handle);
    threads.resume(handle);
    done.wait();
}

TEST(StdThreads, ClosedBeforeResumeNeverRuns) {
    bool ran = false;
    {
        StdThreads threads;
        const auto handle = threads.createSuspended([&] { ran = true; });
        threads.close(handle);
        // A thread resumed after it still runs: the first one holds nothing up.
        std::promise<void> second;
        std::future<void> done = second.get_future();
        const auto other = threads.createSuspended([&] { second.set_value(); });
        threads.resume(other);
        done.wait();
        threads.close(other);
    }
    // Every thread has been joined: the closed one ended without its routine.
    EXPECT_FALSE(ran);
}

} // namespace
