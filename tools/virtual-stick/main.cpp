// kestrun-virtual-stick: the LM704 stick on a Linux guest's USB bus, through dummy_hcd, a configfs
// gadget and FunctionFS, behaving as a scenario file says. docs/virtual-stick.md describes it.

#include "bot_session.h"
#include "configfs_gadget.h"
#include "function_fs.h"
#include "image_keeper.h"
#include "stick_clock.h"
#include "stick_identity.h"
#include "stick_inputs.h"
#include "virtual_stick.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <time.h>

namespace {

constexpr int kExitViolations = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitNoGadget = 3;
constexpr long kTickMs = 20;

struct Options {
    std::string scenario;
    std::string medium;
    std::string keep;
    std::string udc = "dummy_udc.0";
    std::string gadget = "lm704";
    std::string readyFile;
    bool trace = false;
};

void Report(const std::string& line) {
    std::fprintf(stderr, "kestrun-virtual-stick: %s\n", line.c_str());
}

// Only there to interrupt a thread's wait on an endpoint (no SA_RESTART).
void Wake(int) {}

std::string UsbIds() {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vstick::kUsbVendorId, vstick::kUsbProductId);
    return text;
}

int Serve(const Options& options, vstick::StickInputs inputs) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    // Blocked before any thread starts, so that only the main thread takes them.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    struct sigaction wake {};
    wake.sa_handler = Wake;
    sigaction(SIGUSR1, &wake, nullptr);

    vstick::GadgetSettings settings;
    settings.name = options.gadget;
    settings.udc = options.udc;
    vstick::ConfigfsGadget gadget(settings);
    vstick::FunctionFs function;
    std::string error;
    if (!gadget.create(error) || !function.open(gadget.functionFsMount(), error)) {
        Report("cannot set up the gadget: " + error);
        function.close();
        gadget.destroy();
        return kExitNoGadget;
    }

    vstick::SteadyClock clock;
    std::unique_ptr<vstick::FolderKeeper> keeper;
    if (!options.keep.empty()) {
        keeper = std::make_unique<vstick::FolderKeeper>(options.keep);
    }
    const std::string served =
        inputs.medium->name() + " (" + std::to_string(inputs.medium->sectors()) + " sectors)";
    vstick::VirtualStick stick(std::move(inputs.script), std::move(inputs.medium), clock, gadget,
                               keeper.get(), Report);
    stick.setTrace(options.trace);
    vstick::BotSession session(function, stick);
    if (!gadget.enter(error)) {
        Report("cannot bind the gadget to " + options.udc + ": " + error);
        function.close();
        gadget.destroy();
        return kExitNoGadget;
    }
    Report("bound to " + options.udc + " as gadget " + options.gadget + " (USB " + UsbIds() +
           "), serving " + served);
    if (!options.readyFile.empty()) {
        std::ofstream(options.readyFile) << options.udc << ' ' << options.gadget << '\n';
    }

    std::atomic<bool> stop{false};
    std::atomic<bool> transportDone{false};
    std::thread transport([&] {
        while (!stop.load()) {
            // A failed endpoint just means: wait for the next CBW. A breath first, so that an
            // endpoint that keeps failing at once does not spin.
            if (session.serveOne() == vstick::BotSession::Outcome::Lost) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        transportDone.store(true);
    });
    const pthread_t transportThread = transport.native_handle();
    std::thread control([&] {
        function.serveControl(
            session, stop, [transportThread] { pthread_kill(transportThread, SIGUSR1); }, Report);
    });

    const timespec tick{0, kTickMs * 1000 * 1000};
    int signal = -1;
    while (signal < 0) {
        signal = sigtimedwait(&stopSignals, nullptr, &tick);
        if (signal < 0) {
            stick.tick();
        }
    }
    Report(std::string("stopping on ") + strsignal(signal));
    stop.store(true);
    // The transport thread may wait on an endpoint for a host that sends nothing.
    while (!transportDone.load()) {
        pthread_kill(transportThread, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    transport.join();
    control.join();
    function.close();
    gadget.destroy();

    const std::size_t violations = stick.violations();
    if (violations > 0) {
        Report(std::to_string(violations) + " protocol violation(s) in all");
    }
    return stick.failed() ? kExitViolations : 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"The LM704 stick on this machine's USB bus (dummy_hcd, configfs, FunctionFS), "
                 "playing a scenario.",
                 "kestrun-virtual-stick"};
    Options options;
    app.add_option("--scenario", options.scenario, "Scenario file (JSON) with a stick drive")
        ->required()
        ->check(CLI::ExistingFile);
    app.add_option("--medium", options.medium,
                   "ISO 9660 image the stick serves at start (its current firmware volume)")
        ->required()
        ->check(CLI::ExistingFile);
    app.add_option("--keep", options.keep,
                   "Folder for every complete image received, as image-<n>-kind<k>.bin");
    app.add_option("--udc", options.udc, "USB device controller to bind to")->capture_default_str();
    app.add_option("--gadget", options.gadget, "Name of the configfs gadget and its function")
        ->capture_default_str();
    app.add_option("--ready-file", options.readyFile, "File created once the gadget is bound");
    app.add_flag("--trace", options.trace,
                 "A line for every vendor command and every CD-ROM command that failed");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& failure) {
        app.exit(failure);
        return kExitBadInput;
    }

    std::string error;
    std::optional<vstick::StickInputs> inputs =
        vstick::LoadStickInputs(options.scenario, options.medium, error);
    if (!inputs) {
        Report(error);
        return kExitBadInput;
    }
    if (!options.keep.empty() && ::mkdir(options.keep.c_str(), 0755) != 0 && errno != EEXIST) {
        Report(options.keep + ": " + std::strerror(errno));
        return kExitBadInput;
    }
    try {
        return Serve(options, std::move(*inputs));
    } catch (const std::exception& failure) {
        Report(failure.what());
        return kExitNoGadget;
    }
}
