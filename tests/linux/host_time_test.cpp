// The worker threads of the real machine: held until resumed, released by closing.

#include "platform/linux/host_time.h"

#include <gtest/gtest.h>

#include <future>

namespace {

using platform::linux_backend::StdThreads;

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
    StdThreads threads;
    bool ran = false;
    const auto handle = threads.createSuspended([&] { ran = true; });
    threads.close(handle);
    // The routine is dropped with the thread; a fresh thread proves the first one was let go.
    std::promise<void> second;
    std::future<void> done = second.get_future();
    const auto other = threads.createSuspended([&] { second.set_value(); });
    threads.resume(other);
    done.wait();
    threads.close(other);
    EXPECT_FALSE(ran);
}

} // namespace
