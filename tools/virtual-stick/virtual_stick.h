#pragma once
// The LM704 as the host meets it on USB: a CD-ROM drive whose vendor commands go to the stick's
// model, which leaves the bus when it reboots and may come back with the disc it was sent. It
// decides which disc is served and when the stick leaves and returns; the transport and the
// kernel stay outside, behind BusControl.
//
// Thread-safe: the Bulk-Only Transport thread calls execute() and finished(), a timer tick().

#include "bus_control.h"
#include "cdrom_target.h"
#include "command_target.h"
#include "image_keeper.h"
#include "medium.h"
#include "stick_clock.h"

#include "platform/sim/stick_model.h"
#include "platform/sim/stick_script.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vstick {

using Reporter = std::function<void(const std::string& line)>;

class VirtualStick : public CommandTarget {
  public:
    // `keeper` may be null: images are then only reported.
    VirtualStick(sim::StickScript script, std::shared_ptr<const Medium> medium, Clock& clock,
                 BusControl& bus, ImageKeeper* keeper, Reporter report);

    CommandResult execute(const CommandBlock& command, std::span<std::uint8_t> data) override;
    void finished() override;
    // Leaves or returns when the time has come; a command in progress defers it to its end.
    void tick();

    // With trace on, a line for every vendor command and every CD-ROM command that failed.
    void setTrace(bool trace) { m_trace = trace; }

    bool onBus() const;
    std::shared_ptr<const Medium> medium() const;
    std::size_t violations() const;
    // A protocol violation, or an image that could not be kept.
    bool failed() const;

  private:
    static bool IsVendorOpcode(std::uint8_t opcode);
    CommandResult executeVendor(const CommandBlock& command, std::span<std::uint8_t> data,
                                std::uint32_t& latencyMs);
    void update(std::uint64_t nowMs);
    void traceCommand(const CommandBlock& command, const CommandResult& result);
    void reportViolations();
    void keepCompleteImages();
    // "image 2 (kind 1)": by its number among the kept images.
    std::string keptName(std::size_t image) const;
    void leaveBus(const sim::BusAbsence& absence);
    void returnToBus(const sim::BusAbsence& absence);

    mutable std::mutex m_mutex;
    sim::StickModel m_model;
    CdromTarget m_cdrom;
    Clock& m_clock;
    BusControl& m_bus;
    ImageKeeper* m_keeper;
    Reporter m_report;
    bool m_onBus = true;
    bool m_inFlight = false;
    bool m_keepFailed = false;
    bool m_trace = false;
    std::size_t m_nextAbsence = 0;
    std::optional<std::size_t> m_away; // the absence under way
    std::size_t m_reportedViolations = 0;
    std::size_t m_nextImage = 0;                    // the first image not yet settled
    std::vector<std::optional<std::size_t>> m_kept; // by image: its number among the kept
    std::size_t m_keptCount = 0;
};

} // namespace vstick
