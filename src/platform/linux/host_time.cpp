#include "platform/linux/host_time.h"

#include <chrono>
#include <future>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace platform::linux_backend {

namespace {

struct HeldThread {
    std::promise<bool> start; // true: run the routine; false: the handle was closed first
    std::thread thread;
    bool resumed = false;
};

HeldThread* Held(ThreadHandle handle) {
    return reinterpret_cast<HeldThread*>(static_cast<std::uintptr_t>(handle));
}

} // namespace

void SteadyClock::sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint64_t SteadyClock::nowMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

ThreadHandle StdThreads::createSuspended(std::function<void()> routine) {
    auto held = std::make_unique<HeldThread>();
    std::future<bool> go = held->start.get_future();
    try {
        held->thread = std::thread([go = std::move(go), routine = std::move(routine)]() mutable {
            if (go.get()) {
                routine();
            }
        });
    } catch (const std::system_error&) {
        return ThreadHandle::None;
    }
    return static_cast<ThreadHandle>(reinterpret_cast<std::uintptr_t>(held.release()));
}

void StdThreads::resume(ThreadHandle thread) {
    HeldThread* held = Held(thread);
    if (held != nullptr && !held->resumed) {
        held->resumed = true;
        held->start.set_value(true);
    }
}

void StdThreads::close(ThreadHandle thread) {
    std::unique_ptr<HeldThread> held(Held(thread));
    if (!held) {
        return;
    }
    if (!held->resumed) {
        held->start.set_value(false);
    }
    held->thread.detach();
}

} // namespace platform::linux_backend
