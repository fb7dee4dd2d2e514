#include "update_timing.h"

#include <cstdio>

namespace cli {

void UpdateTiming::started() {
    m_startMs = m_clock.nowMs();
    m_pausedAtStartMs = m_pausedMs;
}

void UpdateTiming::ended() {
    m_updateMs = m_clock.nowMs() - m_startMs;
    m_updatePausesMs = m_pausedMs - m_pausedAtStartMs;
    m_ended = true;
}

std::string UpdateTiming::summary() const {
    if (!m_ended) {
        return {};
    }
    // A pause may end a little early on the wall clock; the work is never negative.
    const std::uint64_t work = m_updateMs > m_updatePausesMs ? m_updateMs - m_updatePausesMs : 0;
    const double share =
        m_updateMs == 0 ? 0.0 : 100.0 * static_cast<double>(work) / static_cast<double>(m_updateMs);
    char text[160];
    std::snprintf(text, sizeof text,
                  "Timing: update %llu ms, pauses %llu ms, own work %llu ms (%.2f %%)",
                  static_cast<unsigned long long>(m_updateMs),
                  static_cast<unsigned long long>(m_updatePausesMs),
                  static_cast<unsigned long long>(work), share);
    return text;
}

} // namespace cli
