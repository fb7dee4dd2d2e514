// kestrun-sim SCENARIO.json [--transcript FILE]
//
// Runs the tool's engine against a simulated PC: the start-up (volume label, stick search,
// installed version, plan) and then a whole update on the worker thread, printing each status
// text as it changes. Exit 0 when the last text is "Update Done", 1 for any other final text,
// 2 when start-up failed or the scenario cannot be used.

#include "embedded_resources.h"
#include "platform/resfile/res_file_resources.h"
#include "platform/sim/machine.h"
#include "platform/sim/scenario.h"
#include "ui/kestrun_dlg.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr int kExitDone = 0;
constexpr int kExitOtherOutcome = 1;
constexpr int kExitStartupFailed = 2;

void PrintStatus(std::string_view text) {
    // Two-line texts are printed on one line.
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            line += ' ';
        } else if (c != '\r') {
            line += c;
        }
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

const char* StartupMessage(unsigned id) {
    return id == IDS_NO_STICK ? "No Veskan Sticks were found."
                              : "The application cannot be started.";
}

int Run(const sim::Scenario& scenario, const char* transcriptPath) {
    platform::resfile::ResFileResources programResources(platform::EmbeddedResources());
    sim::Machine machine(scenario, scenario.programResources ? &programResources : nullptr);
    if (transcriptPath != nullptr) {
        std::string error;
        if (!machine.writeTranscript(transcriptPath, error)) {
            std::fprintf(stderr, "kestrun-sim: %s\n", error.c_str());
            return kExitStartupFailed;
        }
    }
    CKestrunDlg dlg(machine.platform());
    EngineFacts facts;
    const unsigned message = dlg.StartEngine(facts);
    std::printf("Volume label: %s\n", facts.volumeLabel.c_str());
    if (message != 0) {
        std::printf("%s\n", StartupMessage(message));
        return kExitStartupFailed;
    }
    std::printf("Stick: drive %c, version %s, %s plan\n", dlg.m_chDrive, facts.stickVersion,
                dlg.m_bTwoStage ? "two-stage" : "single-stage");

    machine.setStatusObserver(PrintStatus);
    dlg.OnBnClickedUpdate();
    machine.joinWorkers();
    dlg.ReleaseEngine();

    const auto history = machine.statusHistory();
    return !history.empty() && history.back() == "Update Done" ? kExitDone : kExitOtherOutcome;
}

} // namespace

int main(int argc, char** argv) {
    const char* scenarioPath = nullptr;
    const char* transcriptPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--transcript") == 0 && i + 1 < argc) {
            transcriptPath = argv[++i];
        } else if (scenarioPath == nullptr && argv[i][0] != '-') {
            scenarioPath = argv[i];
        } else {
            scenarioPath = nullptr;
            break;
        }
    }
    if (scenarioPath == nullptr) {
        std::fprintf(stderr, "usage: kestrun-sim SCENARIO.json [--transcript FILE]\n");
        return kExitStartupFailed;
    }
    sim::Scenario scenario;
    std::string error;
    if (!sim::LoadScenarioFile(scenarioPath, scenario, error)) {
        std::fprintf(stderr, "kestrun-sim: %s: %s\n", scenarioPath, error.c_str());
        return kExitStartupFailed;
    }
    try {
        return Run(scenario, transcriptPath);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "kestrun-sim: %s\n", failure.what());
        return kExitStartupFailed;
    }
}
