#pragma once
// Virtual time: a sleep advances the clock at once, so the tool's long waits cost nothing.
// With a speed factor N > 0, a sleep also waits ms/N real milliseconds, for demonstrations.

#include "platform/clock.h"
#include "platform/sim/machine_core.h"

namespace sim {

class SimClock final : public platform::Clock {
  public:
    SimClock(MachineCore& core, std::uint32_t speed) : m_core(core), m_speed(speed) {}

    void sleep(std::uint32_t milliseconds) override;
    std::uint64_t nowMs() override { return m_core.now(); }
    // Time that passes without a sleep of the tool, such as a command's own duration.
    void advance(std::uint32_t milliseconds) { m_core.nowMs.fetch_add(milliseconds); }

  private:
    MachineCore& m_core;
    const std::uint32_t m_speed;
};

} // namespace sim
