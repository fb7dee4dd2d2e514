#include "rig.h"

#include "device/stick_discovery.h"

#include <cstring>
#include <stdexcept>

namespace test {

sim::Scenario StickPc(const std::string& installedVersion) {
    sim::Scenario scenario;
    sim::DriveSpec disk;
    disk.letter = 'C';
    disk.type = 3;
    disk.bus = 11;
    disk.vendor = "ATA     ";
    disk.product = "SAMSUNG SSD 870 ";
    sim::DriveSpec dvd;
    dvd.letter = 'D';
    dvd.type = 5;
    dvd.bus = 3;
    dvd.vendor = "HL-DT-ST";
    dvd.product = "DVDRAM GH24NSD1 ";
    scenario.drives = {disk, dvd, sim::MakeStickDrive('E', installedVersion)};
    return scenario;
}

sim::DriveSpec& Drive(sim::Scenario& scenario, char letter) {
    for (sim::DriveSpec& drive : scenario.drives) {
        if (drive.letter == letter) {
            return drive;
        }
    }
    throw std::logic_error("no such drive in the scenario");
}

Rig::Rig(sim::Scenario scenario) : machine(std::move(scenario)), dlg(machine.platform()) {}

Rig::~Rig() {
    machine.joinWorkers();
    dlg.ReleaseEngine();
}

unsigned Rig::start() {
    EngineFacts facts;
    return dlg.StartEngine(facts);
}

void Rig::openStick(const char* caption) {
    if (start() != 0) {
        throw std::logic_error("the stick was not found");
    }
    SptiContext& context = *dlg.m_pSpti;
    FormatDevicePath(context.m_szPath, dlg.m_chDrive);
    if (OpenSptiContext(context, context.m_szPath) != 0) {
        throw std::logic_error("the stick cannot be opened");
    }
    std::strncpy(dlg.m_pszStage.get(), caption, kStageBufferSize - 1);
}

void Rig::runUpdate() {
    dlg.OnBnClickedUpdate();
    machine.joinWorkers();
}

std::vector<sim::TranscriptEvent> Rig::events(std::string_view op) const {
    std::vector<sim::TranscriptEvent> selected;
    for (const sim::TranscriptEvent& event : machine.transcript()) {
        if (event.op == op) {
            selected.push_back(event);
        }
    }
    return selected;
}

std::vector<std::string> Rig::cdbs() const {
    std::vector<std::string> cdbs;
    for (const sim::TranscriptEvent& event : events("cdb")) {
        cdbs.push_back(event.fields["cdb"].get<std::string>());
    }
    return cdbs;
}

std::vector<std::uint32_t> Rig::sleeps() const {
    std::vector<std::uint32_t> sleeps;
    for (const sim::TranscriptEvent& event : events("sleep")) {
        sleeps.push_back(event.fields["ms"].get<std::uint32_t>());
    }
    return sleeps;
}

std::vector<int> Rig::progressPositions() const {
    std::vector<int> positions;
    for (const sim::TranscriptEvent& event : events("progress_pos")) {
        positions.push_back(event.fields["pos"].get<int>());
    }
    return positions;
}

std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(length);
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

} // namespace test
