#pragma once
// How long an update took on the wall clock, and how much of that went into the pauses the
// tool's logic asked for: the waits the stick's protocol fixes (after each chunk, between
// status queries, the reboot countdown). What remains is the tool's own work and the
// transfers. It stands in for the machine's clock, so it sees every pause.

#include "platform/clock.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace cli {

class UpdateTiming final : public platform::Clock {
  public:
    explicit UpdateTiming(platform::Clock& clock) : m_clock(clock) {}

    void sleep(std::uint32_t milliseconds) override {
        m_pausedMs += milliseconds;
        m_clock.sleep(milliseconds);
    }
    std::uint64_t nowMs() override { return m_clock.nowMs(); }

    // Around the update, from pressing Update to the end of its worker.
    void started();
    void ended();

    // "Timing: update 27512 ms, pauses 27100 ms, own work 412 ms (1.50 %)", or nothing when no
    // update ran.
    std::string summary() const;

  private:
    platform::Clock& m_clock;
    std::atomic<std::uint64_t> m_pausedMs{0};
    std::uint64_t m_startMs = 0;
    std::uint64_t m_pausedAtStartMs = 0;
    std::uint64_t m_updateMs = 0;
    std::uint64_t m_updatePausesMs = 0;
    bool m_ended = false;
};

} // namespace cli
