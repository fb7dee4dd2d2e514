#pragma once
// Real time: a sleep waits, the clock reads the system's monotonic time.

#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform::host {

class StdClock final : public Clock {
  public:
    void sleep(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    std::uint64_t nowMs() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
};

} // namespace platform::host
