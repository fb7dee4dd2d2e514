#pragma once
// The tool's windows on a simulated PC: the program's compiled resources, the machine, and the
// application run against the machine's window system with a scripted user.

#include "embedded_resources.h"
#include "platform/resfile/res_file_resources.h"
#include "platform/sim/machine.h"
#include "platform/sim/scenario.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace uitest {

// The stick at E: holding QivarGUIMain.exe of `installedVersion`, behind a fixed disk C:.
sim::Scenario StickPc(const std::string& installedVersion = "4, 0, 1, 2");

struct UiRig {
    explicit UiRig(sim::Scenario scenario, std::uint16_t userLanguage = platform::kLangEnglishUs);

    // Runs the application to its end; its result.
    bool runApp();

    std::vector<sim::TranscriptEvent> events(std::string_view op) const;
    // Position of the first event of `op` (whose `key` field equals `value`, when given) in the
    // transcript; -1 when there is none.
    long firstIndex(std::string_view op, std::string_view key = {},
                    const std::string& value = {}) const;
    std::vector<sim::DialogRecord> dialogs() { return machine.windows().dialogs(); }

    platform::resfile::ResFileResources program{platform::EmbeddedResources()};
    sim::Machine machine;
};

// Holds the update worker at its first status text until opened, so that a test acts on the
// dialog while the update certainly runs. Opens itself when destroyed.
class WorkerGate {
  public:
    explicit WorkerGate(sim::Machine& machine);
    ~WorkerGate() { open(); }
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;

    // Waits until the worker stands at the gate.
    void awaitWorker();
    void open();

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_arrived = false;
    bool m_open = false;
};

} // namespace uitest
