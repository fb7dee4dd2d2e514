#include "platform/sim/machine.h"

#include <algorithm>
#include <stdexcept>

namespace sim {

namespace {

Scenario Validated(Scenario scenario) {
    std::string error;
    if (!ValidateScenario(scenario, error)) {
        throw std::invalid_argument("invalid scenario: " + error);
    }
    return scenario;
}

FileVersion ToolVersion(const Scenario& scenario) {
    FileVersion version{};
    ParseDottedVersion(scenario.toolFileVersion, version);
    return version;
}

} // namespace

Machine::Machine(Scenario scenario, platform::Resources* externalResources)
    : m_scenario(Validated(std::move(scenario))), m_stick(m_scenario.stick),
      m_bay(m_scenario.drives, m_stick), m_clock(m_core, m_scenario.speed),
      m_drives(m_core, m_bay, m_scenario.modulePath, m_scenario.driveList),
      m_storage(m_core, m_bay, m_clock),
      m_resources(m_core, m_scenario.resources, externalResources),
      m_versionInfo(m_core, m_bay, m_scenario.modulePath, ToolVersion(m_scenario)),
      m_threads(m_core, m_scenario.threadCreationFails), m_controls(m_core),
      m_windows(m_core, m_resources, m_controls), m_platform{m_storage,     m_drives, m_resources,
                                                             m_versionInfo, m_clock,  m_threads,
                                                             m_controls} {}

Machine::~Machine() {
    m_threads.joinAll();
}

void Machine::setRecording(bool on) {
    std::lock_guard lock(m_core.mutex);
    m_core.transcript.setRecording(on);
}

bool Machine::writeTranscript(const std::string& path, std::string& error) {
    std::lock_guard lock(m_core.mutex);
    return m_core.transcript.writeTo(path, error);
}

std::vector<TranscriptEvent> Machine::transcript() const {
    std::lock_guard lock(m_core.mutex);
    return m_core.transcript.events();
}

std::vector<ReceivedImage> Machine::receivedImages() const {
    std::lock_guard lock(m_core.mutex);
    return m_stick.images();
}

std::vector<ProtocolViolation> Machine::protocolViolations() const {
    std::lock_guard lock(m_core.mutex);
    std::vector<ProtocolViolation> all = m_stick.violations();
    const std::vector<ProtocolViolation>& faults = m_storage.requestFaults();
    all.insert(all.end(), faults.begin(), faults.end());
    std::stable_sort(
        all.begin(), all.end(),
        [](const ProtocolViolation& a, const ProtocolViolation& b) { return a.tMs < b.tMs; });
    return all;
}

std::uint32_t Machine::commandCount(std::uint8_t opcode) const {
    std::lock_guard lock(m_core.mutex);
    return m_stick.commandCount(opcode);
}

std::uint32_t Machine::foreignCommandCount() const {
    std::lock_guard lock(m_core.mutex);
    return m_storage.foreignCommands();
}

std::size_t Machine::openDeviceCount() const {
    std::lock_guard lock(m_core.mutex);
    return m_storage.openDevices();
}

std::uint32_t Machine::driveListCalls() const {
    std::lock_guard lock(m_core.mutex);
    return m_bay.driveListsTaken();
}

ControlsSnapshot Machine::controls() const {
    std::lock_guard lock(m_core.mutex);
    return m_controls.snapshot();
}

std::vector<std::string> Machine::statusHistory() const {
    std::lock_guard lock(m_core.mutex);
    return m_controls.statusHistory();
}

void Machine::setStatusObserver(std::function<void(std::string_view)> observer) {
    m_controls.setStatusObserver(std::move(observer));
}

void Machine::joinWorkers() {
    m_threads.joinAll();
}

std::size_t Machine::openThreadHandles() const {
    return m_threads.openHandles();
}

} // namespace sim
