#pragma once
// Real time for the stick's model: milliseconds since the program started. Tests inject a clock of
// their own.

#include <chrono>
#include <cstdint>

namespace vstick {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint64_t nowMs() const = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
};

class SteadyClock : public Clock {
  public:
    std::uint64_t nowMs() const override;
    void sleepMs(std::uint32_t ms) override;

  private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

} // namespace vstick
