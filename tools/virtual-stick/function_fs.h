#pragma once
// The stick's function on a mounted FunctionFS: ep0 takes the descriptors and brings the events,
// ep1 and ep2 are the bulk endpoints. Linux only.

#include "bulk_pipe.h"
#include "class_requests.h"

#include <atomic>
#include <functional>
#include <string>

namespace vstick {

class BotSession;

class FunctionFs : public BulkPipe {
  public:
    FunctionFs() = default;
    ~FunctionFs() override;
    FunctionFs(const FunctionFs&) = delete;
    FunctionFs& operator=(const FunctionFs&) = delete;

    // Opens ep0 under `mount`, writes the descriptors and strings, opens the bulk endpoints.
    bool open(const std::string& mount, std::string& error);
    void close();

    std::optional<std::size_t> receive(std::span<std::uint8_t> buffer) override;
    bool send(std::span<const std::uint8_t> bytes) override;
    void haltIn() override;
    void haltOut() override;
    std::size_t maxPacketSize() const override;

    using Report = std::function<void(const std::string& line)>;
    // Serves ep0 until `stop`: the host's class requests to the session, and a line for each
    // change the kernel reports. `interrupt` wakes the session's thread out of an endpoint wait,
    // so that a reset takes hold in the middle of a data phase.
    void serveControl(BotSession& session, const std::atomic<bool>& stop,
                      const std::function<void()>& interrupt, const Report& report);

  private:
    ControlAnswer::Kind answerSetup(const SetupPacket& setup, BotSession& session,
                                    const std::function<void()>& interrupt);

    int m_ep0 = -1;
    int m_in = -1;
    int m_out = -1;
};

} // namespace vstick
