#include "virtual_stick.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace vstick {

namespace {

constexpr std::uint8_t kImageIso = 2;
constexpr std::uint64_t kNeverBack = std::numeric_limits<std::uint64_t>::max();

std::string SectorsText(const Medium& medium) {
    return medium.name() + " (" + std::to_string(medium.sectors()) + " sectors)";
}

} // namespace

VirtualStick::VirtualStick(sim::StickScript script, std::shared_ptr<const Medium> medium,
                           Clock& clock, BusControl& bus, ImageKeeper* keeper, Reporter report)
    : m_model(std::move(script)), m_cdrom(std::move(medium)), m_clock(clock), m_bus(bus),
      m_keeper(keeper), m_report(std::move(report)) {}

bool VirtualStick::IsVendorOpcode(std::uint8_t opcode) {
    return opcode == sim::StickModel::kOpIdentify || opcode == sim::StickModel::kOpGetStatus ||
           opcode == sim::StickModel::kOpWriteImage;
}

CommandResult VirtualStick::execute(const CommandBlock& command, std::span<std::uint8_t> data) {
    std::uint32_t latencyMs = 0;
    CommandResult result;
    {
        const std::lock_guard lock(m_mutex);
        m_inFlight = true;
        if (command.lun == 0 && IsVendorOpcode(command.cdb[0])) {
            result = executeVendor(command, data, latencyMs);
        } else {
            result = m_cdrom.execute(command, data);
        }
        traceCommand(command, result);
    }
    if (latencyMs > 0) {
        m_clock.sleepMs(latencyMs);
    }
    return result;
}

CommandResult VirtualStick::executeVendor(const CommandBlock& command, std::span<std::uint8_t> data,
                                          std::uint32_t& latencyMs) {
    m_cdrom.clearSense();
    sim::StickCommand stickCommand;
    stickCommand.cdb = command.cdb;
    stickCommand.direction = command.dataIn ? sim::DataDirection::In : sim::DataDirection::Out;
    stickCommand.data = data;
    // Bulk-Only Transport does not carry the host's time-out.
    stickCommand.timeoutSeconds = 0;
    const sim::StickResponse response = m_model.execute(stickCommand, m_clock.nowMs());
    reportViolations();
    latencyMs = response.elapsedMs;
    if (!response.answered) {
        return CommandResult{false, CswStatus::Failed, 0};
    }
    if (response.scsiStatus != sim::kScsiGood) {
        return m_cdrom.fail({response.senseKey, response.asc, 0});
    }
    return CommandResult{true, CswStatus::Passed, response.moved};
}

void VirtualStick::traceCommand(const CommandBlock& command, const CommandResult& result) {
    const bool vendor = IsVendorOpcode(command.cdb[0]);
    if (!m_trace || (!vendor && result.status == CswStatus::Passed)) {
        return;
    }
    char line[160];
    const int length = std::snprintf(
        line, sizeof line,
        "%llu ms: command %02Xh, %s %u bytes: ", static_cast<unsigned long long>(m_clock.nowMs()),
        unsigned{command.cdb[0]}, command.dataIn ? "in" : "out", command.hostLength);
    std::string text(line, static_cast<std::size_t>(std::max(length, 0)));
    if (!result.answered) {
        text += "held back";
    } else if (result.status == CswStatus::Passed) {
        text += "good, " + std::to_string(result.moved) + " bytes";
    } else {
        text += result.status == CswStatus::Failed ? "CHECK CONDITION" : "phase error";
    }
    m_report(text);
}

void VirtualStick::finished() {
    const std::lock_guard lock(m_mutex);
    m_inFlight = false;
    update(m_clock.nowMs());
}

void VirtualStick::tick() {
    const std::lock_guard lock(m_mutex);
    if (!m_inFlight) {
        update(m_clock.nowMs());
    }
}

void VirtualStick::update(std::uint64_t nowMs) {
    reportViolations();
    keepCompleteImages();
    const std::vector<sim::BusAbsence>& absences = m_model.absences();
    // One pass may see an absence begin and end: the host still sees the stick go and return.
    for (;;) {
        if (m_onBus && m_nextAbsence < absences.size() &&
            absences[m_nextAbsence].startMs <= nowMs) {
            m_away = m_nextAbsence++;
            leaveBus(absences[*m_away]);
        } else if (!m_onBus && m_away && absences[*m_away].endMs <= nowMs && m_model.onBus(nowMs)) {
            returnToBus(absences[*m_away]);
            m_away.reset();
        } else {
            break;
        }
    }
}

void VirtualStick::reportViolations() {
    const std::vector<sim::ProtocolViolation>& violations = m_model.violations();
    for (; m_reportedViolations < violations.size(); ++m_reportedViolations) {
        m_report("protocol violation: " + violations[m_reportedViolations].what);
    }
}

void VirtualStick::keepCompleteImages() {
    const std::vector<sim::ReceivedImage>& images = m_model.images();
    m_kept.resize(images.size());
    while (m_nextImage < images.size()) {
        const sim::ReceivedImage& image = images[m_nextImage];
        if (image.complete) {
            const std::size_t number = m_keptCount++;
            m_kept[m_nextImage] = number;
            std::string line = "image " + std::to_string(number) + " complete: kind " +
                               std::to_string(image.kind) + ", " +
                               std::to_string(image.bytes.size()) + " bytes";
            std::string where;
            std::string error;
            if (m_keeper == nullptr) {
                m_report(line);
            } else if (m_keeper->keep(number, image.kind, image.bytes, where, error)) {
                m_report(line + ", kept as " + where);
            } else {
                m_keepFailed = true;
                m_report(line + ", not kept: " + error);
            }
        } else if (m_nextImage + 1 < images.size()) {
            m_report("an image of kind " + std::to_string(image.kind) + " was abandoned after " +
                     std::to_string(image.received) + " of " +
                     std::to_string(image.declaredLength) + " bytes");
        } else {
            break; // still arriving
        }
        ++m_nextImage;
    }
}

std::string VirtualStick::keptName(std::size_t image) const {
    const std::uint8_t kind = m_model.images().at(image).kind;
    const std::optional<std::size_t> number = m_kept.at(image);
    return number ? "image " + std::to_string(*number) + " (kind " + std::to_string(kind) + ")"
                  : "an image of kind " + std::to_string(kind);
}

void VirtualStick::leaveBus(const sim::BusAbsence& absence) {
    const sim::ReceivedImage& image = m_model.images().at(absence.image);
    std::string why;
    if (!image.complete) {
        why = "gone in the middle of an image of kind " + std::to_string(image.kind) + " (" +
              std::to_string(image.received) + " of " + std::to_string(image.declaredLength) +
              " bytes)";
    } else if (absence.installs) {
        why = "rebooting to install " + keptName(absence.image);
    } else {
        why = "restarting without installing " + keptName(absence.image);
    }
    const std::string away = absence.endMs == kNeverBack
                                 ? std::string("for good")
                                 : "for " + std::to_string(absence.endMs - absence.startMs) + " ms";
    m_report("leaving the bus " + away + ": " + why);
    std::string error;
    if (!m_bus.leave(error)) {
        m_report("could not leave the bus: " + error);
    }
    m_onBus = false;
}

void VirtualStick::returnToBus(const sim::BusAbsence& absence) {
    const sim::ReceivedImage& image = m_model.images().at(absence.image);
    if (absence.installs && image.complete && image.kind == kImageIso) {
        m_cdrom.setMedium(std::make_shared<const Medium>(keptName(absence.image), image.bytes));
    }
    m_report("back on the bus, serving " + SectorsText(*m_cdrom.medium()));
    std::string error;
    if (!m_bus.enter(error)) {
        m_report("could not return to the bus: " + error);
    }
    m_onBus = true;
}

bool VirtualStick::onBus() const {
    const std::lock_guard lock(m_mutex);
    return m_onBus;
}

std::shared_ptr<const Medium> VirtualStick::medium() const {
    const std::lock_guard lock(m_mutex);
    return m_cdrom.medium();
}

std::size_t VirtualStick::violations() const {
    const std::lock_guard lock(m_mutex);
    return m_model.violations().size();
}

bool VirtualStick::failed() const {
    const std::lock_guard lock(m_mutex);
    return !m_model.violations().empty() || m_keepFailed;
}

} // namespace vstick
