#include "platform/sim/sim_clock.h"

#include <chrono>
#include <thread>

namespace sim {

void SimClock::sleep(std::uint32_t milliseconds) {
    {
        std::lock_guard lock(m_core.mutex);
        m_core.record("sleep", [&](auto& f) { f["ms"] = milliseconds; });
        advance(milliseconds);
    }
    if (m_speed > 0) {
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uint64_t{milliseconds} * 1000 / m_speed));
    }
}

} // namespace sim
