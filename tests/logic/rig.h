#pragma once
// The tool's logic on a simulated PC: the machine, the main dialog on it, and readers of what
// the machine saw.

#include "device/spti_context.h"
#include "platform/sim/machine.h"
#include "platform/sim/scenario.h"
#include "ui/kestrun_dlg.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace test {

// A fixed SATA disk C:, a DVD drive D: of another maker, and the stick at E: holding
// QivarGUIMain.exe of `installedVersion`.
sim::Scenario StickPc(const std::string& installedVersion = "4, 0, 1, 2");

// A drive of the scenario by letter.
sim::DriveSpec& Drive(sim::Scenario& scenario, char letter);

struct Rig {
    explicit Rig(sim::Scenario scenario);
    ~Rig();

    // The engine's start-up; 0 or the message id.
    unsigned start();
    // Start-up, then the SptiContext opened on the stick as an upload opens it, with `caption`
    // as the stage.
    void openStick(const char* caption = "Uploading ISO Image...");
    // Presses Update and waits for the worker to end.
    void runUpdate();

    std::vector<sim::TranscriptEvent> events(std::string_view op) const;
    // The CDBs sent, as hex, in order.
    std::vector<std::string> cdbs() const;
    std::vector<std::uint32_t> sleeps() const;
    std::vector<int> progressPositions() const;
    std::vector<std::string> statusTexts() const { return machine.statusHistory(); }

    sim::Machine machine;
    CKestrunDlg dlg;
};

// Opcode of a CDB in hex.
inline std::string Opcode(const std::string& cdb) {
    return cdb.substr(0, 2);
}

// Counts the entries equal to `value`.
template <typename T, typename U> std::size_t Count(const std::vector<T>& items, const U& value) {
    std::size_t count = 0;
    for (const T& item : items) {
        count += item == value ? 1 : 0;
    }
    return count;
}

// Bytes of a recognisable pattern.
std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t seed = 1);

} // namespace test
