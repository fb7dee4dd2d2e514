// kestrun-cli [--yes] [--timing] [--simulate SCENARIO.json [--transcript FILE] [--speed N]]
//
// The tool on a terminal, for headless machines and scripts: the three facts, a question before
// the update (--yes answers it), each status text as it changes. With --simulate it runs against
// a simulated PC described by a scenario file (docs/simulator.md). With --timing it ends an update
// with one line on stderr: its wall time and how much of it went into the stick's fixed pauses.
//
// Exit codes: 0 when every image sent ended its check in "Update Done" and the plan ran to its
// end; 1 for any other outcome of an update, or when none was made; 2 when start-up failed ("No
// Veskan Sticks were found.", "The application cannot be started."), or the arguments or the
// scenario cannot be used.

#include "embedded_resources.h"
#include "platform/host/host_machine.h"
#include "platform/resfile/res_file_resources.h"
#include "platform/sim/machine.h"
#include "platform/sim/scenario.h"
#include "terminal_controls.h"
#include "terminal_windows.h"
#include "ui/kestrun_app.h"
#include "ui/kestrun_dlg.h"
#include "ui/update_tally.h"
#include "update/update_sequence.h"
#include "update_timing.h"
#include "user_language.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

constexpr int kExitUpdated = 0;
constexpr int kExitNotUpdated = 1;
constexpr int kExitCannotStart = 2;

struct Options {
    bool assumeYes = false;
    bool timing = false;
    std::string scenarioPath;
    std::string transcriptPath;
    std::optional<std::uint32_t> speed;
};

// Runs the application and judges its outcome from what the terminal saw.
class Run {
  public:
    Run(platform::Platform& system, cli::TerminalControls& controls, const Options& options)
        : m_timing(system.clock), m_system{system.storage,     system.drives, system.resources,
                                           system.versionInfo, m_timing,      system.threads,
                                           system.controls},
          m_windows(controls, stdin, options.assumeYes), m_timed(options.timing) {
        if (m_timed) {
            m_windows.timeWith(&m_timing);
        }
        controls.onStatus([this](const std::string& text) {
            std::lock_guard lock(m_mutex);
            if (!m_tally && m_app.m_pMainWnd != nullptr) {
                m_tally.emplace(PlannedImageCount(m_app.m_pMainWnd->m_bTwoStage));
            }
            if (m_tally) {
                m_tally->onStatus(text);
            }
        });
    }

    int exitCode() {
        m_app.InitInstance();
        if (const std::string timing = m_timing.summary(); m_timed && !timing.empty()) {
            std::fprintf(stderr, "%s\n", timing.c_str());
        }
        if (!m_windows.mainDialogShown()) {
            return kExitCannotStart;
        }
        std::lock_guard lock(m_mutex);
        return !m_windows.updateDeclined() && m_tally && m_tally->succeeded() ? kExitUpdated
                                                                              : kExitNotUpdated;
    }

  private:
    cli::UpdateTiming m_timing;
    platform::Platform m_system;
    cli::TerminalWindows m_windows;
    const bool m_timed;
    CKestrunApp m_app{m_system, m_windows};
    std::mutex m_mutex;
    std::optional<UpdateTally> m_tally;
};

int Simulate(const Options& options, cli::TerminalControls& controls) {
    sim::Scenario scenario;
    std::string error;
    if (!sim::LoadScenarioFile(options.scenarioPath, scenario, error)) {
        std::fprintf(stderr, "kestrun-cli: %s: %s\n", options.scenarioPath.c_str(), error.c_str());
        return kExitCannotStart;
    }
    if (options.speed) {
        scenario.speed = *options.speed;
    }
    platform::resfile::ResFileResources program(platform::EmbeddedResources());
    program.setUserLanguage(cli::UserLanguage());
    sim::Machine machine(scenario, scenario.programResources ? &program : nullptr);
    machine.setProgramResources(program);
    if (!options.transcriptPath.empty() &&
        !machine.writeTranscript(options.transcriptPath, error)) {
        std::fprintf(stderr, "kestrun-cli: %s\n", error.c_str());
        return kExitCannotStart;
    }
    // The terminal shows the controls; the machine records them.
    controls.passOnTo(&machine.platform().controls);
    platform::Platform system = machine.platform();
    platform::Platform shown{system.storage, system.drives,  system.resources, system.versionInfo,
                             system.clock,   system.threads, controls};
    Run run(shown, controls, options);
    const int code = run.exitCode();
    machine.joinWorkers();
    return code;
}

int OnThisPc(const Options& options, cli::TerminalControls& controls) {
    const auto host = platform::host::OpenHostMachine(controls, cli::UserLanguage());
    Run run(host->platform(), controls, options);
    const int code = run.exitCode();
    if (const auto problem = host->accessProblem(); code == kExitCannotStart && problem) {
        std::fprintf(stderr, "kestrun-cli: %s\n", problem->c_str());
    }
    return code;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Kestrun: updates the firmware of the LM704 USB wireless stick.", "kestrun-cli"};
    Options options;
    app.add_flag("-y,--yes", options.assumeYes, "Update without asking first");
    app.add_flag("--timing", options.timing,
                 "After an update, print its wall time and how much of it was fixed pauses");
    auto* simulate = app.add_option("--simulate", options.scenarioPath,
                                    "Run against a simulated PC described by SCENARIO.json")
                         ->check(CLI::ExistingFile);
    app.add_option("--transcript", options.transcriptPath,
                   "Write everything the tool did to the simulated PC to FILE (JSON lines)")
        ->needs(simulate);
    app.add_option("--speed", options.speed,
                   "Virtual time N times faster than real time; 0: as fast as possible")
        ->needs(simulate);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& failure) {
        app.exit(failure);
        return kExitCannotStart;
    }

    cli::TerminalControls controls(stdout, isatty(fileno(stdout)) != 0);
    try {
        return options.scenarioPath.empty() ? OnThisPc(options, controls)
                                            : Simulate(options, controls);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "kestrun-cli: %s\n", failure.what());
        return kExitCannotStart;
    }
}
