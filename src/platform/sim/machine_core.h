#pragma once
// What every simulated part of the machine shares: the one lock over all machine state, the
// virtual clock's time and the transcript.

#include "platform/sim/transcript.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <utility>

namespace sim {

struct MachineCore {
    mutable std::mutex mutex;
    std::atomic<std::uint64_t> nowMs{0};
    Transcript transcript; // guarded by mutex

    std::uint64_t now() const { return nowMs.load(); }

    // Records an event at the current virtual time; the caller holds the lock.
    template <typename Fill> void record(std::string_view op, Fill&& fill) {
        transcript.record(now(), op, std::forward<Fill>(fill));
    }
};

} // namespace sim
