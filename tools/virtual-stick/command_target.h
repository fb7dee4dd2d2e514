#pragma once
// What a Bulk-Only Transport session hands a command to, and what it gets back: whatever serves
// the commands (the CD-ROM drive, the vendor commands) sits behind this.

#include "bot_wire.h"

#include <cstdint>
#include <span>

namespace vstick {

struct CommandBlock {
    std::span<const std::uint8_t> cdb; // 16 bytes, zero past the host's command block length
    std::uint8_t lun = 0;
    bool dataIn = false;          // the host's direction, whatever the command
    std::uint32_t hostLength = 0; // dCBWDataTransferLength
};

struct CommandResult {
    bool answered = true; // false: the command never comes back, no data and no CSW
    CswStatus status = CswStatus::Passed;
    // Data-in: bytes placed at the start of the buffer to send. Data-out: bytes taken.
    std::uint32_t moved = 0;
};

class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    // `data` is the host's buffer of the host's length: to fill for data-in, as received for
    // data-out (possibly shorter than hostLength when the host cut its data short).
    virtual CommandResult execute(const CommandBlock& command, std::span<std::uint8_t> data) = 0;
    // The reply went out to the host, or was held back: the target may act on what it did.
    virtual void finished() = 0;
};

} // namespace vstick
