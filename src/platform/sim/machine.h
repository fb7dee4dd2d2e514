#pragma once
// A simulated PC with drives and, if the scenario says so, the LM704 stick: everything the
// tool's logic reaches through platform::Platform, with a virtual clock, a transcript of every
// call and accessors for tests. All machine state sits behind one lock, so the dialog's thread
// and the update worker may both call in.

#include "platform/platform.h"
#include "platform/sim/drive_bay.h"
#include "platform/sim/machine_core.h"
#include "platform/sim/scenario.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_controls.h"
#include "platform/sim/sim_drives.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_storage.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_version_info.h"
#include "platform/sim/sim_windows.h"
#include "platform/sim/stick_model.h"
#include "platform/sim/transcript.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class Machine {
  public:
    // Throws std::invalid_argument when the scenario fails ValidateScenario. With
    // `externalResources`, the program's resources come from there (every call recorded)
    // instead of being synthesized from the scenario.
    explicit Machine(Scenario scenario, platform::Resources* externalResources = nullptr);
    // Joins every worker first.
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    platform::Platform& platform() { return m_platform; }
    // The window system of the simulated desktop.
    SimWindows& windows() { return m_windows; }
    // The program's own resources of ordinal type (string tables, dialog templates, icons, the
    // version block), such as the build embeds; the firmware images still come from the
    // scenario unless it asks for the program's. Set before the tool runs.
    void setProgramResources(platform::Resources& program) { m_resources.setProgram(&program); }

    // Recording is on from the start. Off, the transcript and the status history stay as they
    // are and a command, a sleep or a control change allocates nothing.
    void setRecording(bool on);
    // Writes the events so far and every later one to `path` as JSON lines.
    bool writeTranscript(const std::string& path, std::string& error);
    std::vector<TranscriptEvent> transcript() const;

    // The stick and the storage stack.
    std::vector<ReceivedImage> receivedImages() const;
    // The stick's refusals of malformed commands and the pass-through's refusals of malformed
    // requests (including closes of handles not open), in time order.
    std::vector<ProtocolViolation> protocolViolations() const;
    std::uint32_t commandCount(std::uint8_t opcode) const; // commands the stick received
    std::uint32_t foreignCommandCount() const; // pass-through requests to drives not the stick
    std::size_t openDeviceCount() const;
    std::uint32_t driveListCalls() const;

    // The dialog.
    ControlsSnapshot controls() const;
    std::vector<std::string> statusHistory() const; // every text set on control 1000
    // Called with each status text as it is set; set it before the tool runs.
    void setStatusObserver(std::function<void(std::string_view)> observer);

    // Waits for every worker that was resumed to end; one never resumed is let go unrun.
    void joinWorkers();
    std::size_t openThreadHandles() const;
    std::uint64_t nowMs() const { return m_core.now(); }

  private:
    const Scenario m_scenario;
    MachineCore m_core;
    StickModel m_stick;
    DriveBay m_bay;
    SimClock m_clock;
    SimDrives m_drives;
    SimStorage m_storage;
    SimResources m_resources;
    SimVersionInfo m_versionInfo;
    SimThreads m_threads;
    SimControls m_controls;
    SimWindows m_windows;
    platform::Platform m_platform;
};

} // namespace sim
