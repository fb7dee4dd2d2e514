#pragma once
// Real time and real threads: the clock and the worker thread of the front ends that run on a
// real machine.

#include "platform/clock.h"
#include "platform/threads.h"

namespace platform::linux_backend {

class SteadyClock final : public Clock {
  public:
    void sleep(std::uint32_t milliseconds) override;
    std::uint64_t nowMs() override;
};

// std::thread behind the Threads seam. A thread waits for resume() before its routine runs;
// close() releases the handle (from any thread, the worker's own included) and lets the thread
// run on; a thread closed before it was resumed ends without running its routine.
class StdThreads final : public Threads {
  public:
    ThreadHandle createSuspended(std::function<void()> routine) override;
    void resume(ThreadHandle thread) override;
    void close(ThreadHandle thread) override;
};

} // namespace platform::linux_backend
