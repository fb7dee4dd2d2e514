#include "stick_clock.h"

#include <thread>

namespace vstick {

std::uint64_t SteadyClock::nowMs() const {
    const auto elapsed = std::chrono::steady_clock::now() - m_start;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SteadyClock::sleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace vstick
