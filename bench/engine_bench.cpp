// Whole image writes and updates against a simulated stick that answers at once:
//  - CPU time of the write loop per 64 KiB chunk;
//  - heap allocations per command while an image is written and checked;
//  - virtual time of a whole two-stage update against the sum of the pauses the protocol
//    mandates (chunk pauses, the check's waits, the reboot countdown).

#include "allocation_counter.h"

#include "device/stick_discovery.h"
#include "device/vendor_commands.h"
#include "platform/sim/machine.h"
#include "ui/kestrun_dlg.h"
#include "update/completion_check.h"
#include "update/image_write.h"
#include "update/payload_catalogue.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::uint32_t kChunk = 64 * 1024;
constexpr std::uint32_t kImageLength = 4 * 1024 * 1024;
constexpr int kBusyChecks = 3; // status replies before the stick's verdict

sim::Scenario BenchScenario(const char* installedVersion) {
    sim::Scenario scenario;
    sim::DriveSpec stick = sim::MakeStickDrive('E', installedVersion);
    stick.adapter = sim::AdapterLimits{kChunk, kChunk / 4096 + 1, 0};
    scenario.drives = {stick};
    scenario.modulePath = "E:\\Kestrun.exe";
    sim::ImageScript image;
    image.check = std::vector<sim::Reply>(kBusyChecks, sim::Reply::Busy());
    image.check.push_back(sim::Reply::Done());
    image.rebootMs = 5000;
    scenario.stick.images = {image};
    return scenario;
}

// A machine with the dialog started and the SptiContext open on the stick.
struct Bench {
    explicit Bench(const char* version = "4, 0, 1, 2")
        : machine(BenchScenario(version)), dlg(machine.platform()) {
        EngineFacts facts;
        dlg.StartEngine(facts);
        machine.setRecording(false);
        SptiContext& context = *dlg.m_pSpti;
        FormatDevicePath(context.m_szPath, dlg.m_chDrive);
        OpenSptiContext(context, context.m_szPath);
        std::strcpy(dlg.m_pszStage.get(), "Uploading ISO Image...");
    }
    ~Bench() { dlg.ReleaseEngine(); }
    int write(const std::vector<std::uint8_t>& image) {
        return WriteImage(dlg, *dlg.m_pSpti, IMAGE_ISO, image.data(),
                          static_cast<std::uint32_t>(image.size()));
    }
    sim::Machine machine;
    CKestrunDlg dlg;
};

// The stick keeps every image it receives, so the machine is renewed now and then.
constexpr int kImagesPerMachine = 8;

void WriteLoopPerChunk(benchmark::State& state) {
    const std::vector<std::uint8_t> image(kImageLength, 0xA5);
    auto bench = std::make_unique<Bench>();
    int written = 0;
    for (auto _ : state) {
        if (written == kImagesPerMachine) {
            state.PauseTiming();
            bench = std::make_unique<Bench>();
            written = 0;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(bench->write(image));
        ++written;
    }
    const double chunks = static_cast<double>(state.iterations()) * (kImageLength / kChunk);
    state.counters["us_per_chunk"] =
        benchmark::Counter(chunks, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(WriteLoopPerChunk)->Unit(benchmark::kMillisecond);

void AllocationsPerCommand(benchmark::State& state) {
    const std::vector<std::uint8_t> image(kImageLength, 0x5A);
    long allocations = 0;
    std::uint32_t commands = 0;
    {
        // One image first, so that what the process sets up once (the simulator's defaults)
        // is not counted against the commands.
        Bench warmUp;
        warmUp.write(image);
        CheckFirmwareStatus(warmUp.dlg);
    }
    for (auto _ : state) {
        state.PauseTiming();
        Bench bench;
        // The dialog's controls exist before any update touches them.
        ReportUploadProgress(0, bench.dlg);
        bench.dlg.m_progress.SetRange(0, 100);
        const std::uint32_t before =
            bench.machine.commandCount(OP_WRITE_IMAGE) + bench.machine.commandCount(OP_GET_STATUS);
        state.ResumeTiming();
        const long start = alloc::Allocations();
        bench.write(image);
        CheckFirmwareStatus(bench.dlg);
        // The simulated stick reserves the image's storage once, when chunk 0 arrives: that
        // block is the stick's, not the tool's.
        allocations += alloc::Allocations() - start - 1;
        state.PauseTiming();
        commands += bench.machine.commandCount(OP_WRITE_IMAGE) +
                    bench.machine.commandCount(OP_GET_STATUS) - before;
        state.ResumeTiming();
    }
    state.counters["commands"] = commands;
    state.counters["allocs_per_command"] =
        static_cast<double>(allocations) / static_cast<double>(commands);
}
BENCHMARK(AllocationsPerCommand)->Unit(benchmark::kMillisecond)->Iterations(5);

// The pauses the protocol mandates for one image of `length` bytes that the stick answers
// after kBusyChecks busy replies: 100 ms per chunk, 300 ms before the first status query, one
// second per pass of the status wait, a 1 ms step per bar position filled, one second for the
// verdict and the 20-second reboot countdown.
std::uint64_t MandatedPauses(std::uint32_t length) {
    const std::uint64_t chunks = (std::uint64_t{length} + kChunk - 1) / kChunk;
    return chunks * 100 + 300 + kBusyChecks * 1000 + (120 - kBusyChecks) + 1000 + 20 * 1000;
}

void TwoStageVirtualTime(benchmark::State& state) {
    double ratio = 0;
    for (auto _ : state) {
        sim::Machine machine(BenchScenario("1, 0, 3, 5"));
        machine.setRecording(false);
        CKestrunDlg dlg(machine.platform());
        EngineFacts facts;
        dlg.StartEngine(facts);
        const std::uint64_t start = machine.nowMs();
        dlg.OnBnClickedUpdate();
        machine.joinWorkers();
        const std::uint64_t elapsed = machine.nowMs() - start;
        dlg.ReleaseEngine();
        const std::uint64_t mandated = MandatedPauses(kMigrationIso.length) +
                                       MandatedPauses(kMigrationKernel.length) +
                                       MandatedPauses(kMainIso.length);
        state.counters["virtual_ms"] = static_cast<double>(elapsed);
        state.counters["mandated_ms"] = static_cast<double>(mandated);
        ratio = static_cast<double>(elapsed) / static_cast<double>(mandated);
    }
    state.counters["virtual_over_mandated"] = ratio;
}
BENCHMARK(TwoStageVirtualTime)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
