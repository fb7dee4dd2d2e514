#pragma once
// The two bulk endpoints of the stick's interface as the Bulk-Only Transport sees them. FunctionFS
// provides them in the guest, an in-memory pipe in the tests.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vstick {

class BulkPipe {
  public:
    virtual ~BulkPipe() = default;
    // One transfer from the host on the OUT endpoint, at most buffer.size() bytes (a transfer
    // ends early at a short packet). Nothing when the endpoint failed: the host disconnected or
    // reset the stick, or the wait was interrupted.
    virtual std::optional<std::size_t> receive(std::span<std::uint8_t> buffer) = 0;
    // Sends bytes on the IN endpoint; no bytes is a zero-length packet. False when it failed.
    virtual bool send(std::span<const std::uint8_t> bytes) = 0;
    virtual void haltIn() = 0;
    virtual void haltOut() = 0;
    // Of the IN endpoint at the speed the host connected at: 512 at high speed, 64 at full.
    virtual std::size_t maxPacketSize() const = 0;
};

} // namespace vstick
