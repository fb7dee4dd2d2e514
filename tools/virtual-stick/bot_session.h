#pragma once
// The stick's side of Bulk-Only Transport: one command at a time, CBW, data, CSW, over a pair of
// bulk endpoints, handing each command to a CommandTarget.

#include "bulk_pipe.h"
#include "command_target.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace vstick {

class BotSession {
  public:
    // The largest data phase the stick takes; the tool's chunks are 120 KiB.
    static constexpr std::uint32_t kMaxDataLength = 16u << 20;

    enum class Outcome {
        Completed, // data (if any) and CSW went out
        Held,      // the target kept the reply back: no data, no CSW
        Refused,   // an invalid CBW, or anything before the reset that must follow one
        Lost,      // an endpoint failed (disconnect, reset, interruption)
    };

    BotSession(BulkPipe& pipe, CommandTarget& target);

    // Waits for the next CBW and carries the command through.
    Outcome serveOne();

    // Bulk-Only Mass Storage Reset from the control endpoint; any thread.
    void reset() { m_awaitingReset.store(false); }
    bool awaitingReset() const { return m_awaitingReset.load(); }

  private:
    // The data-out phase: bytes received, nothing when the endpoint failed.
    std::optional<std::uint32_t> receiveData(std::uint32_t length);
    bool sendDataIn(std::uint32_t moved, std::uint32_t length);
    void refuse();

    BulkPipe& m_pipe;
    CommandTarget& m_target;
    std::atomic<bool> m_awaitingReset{false};
    std::vector<std::uint8_t> m_data;
};

} // namespace vstick
