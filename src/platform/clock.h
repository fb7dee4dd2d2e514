#pragma once
// Pauses and a monotonic clock.

#include <cstdint>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint64_t nowMs() = 0;
};

} // namespace platform
