// A whole update on the worker thread: the plan of images, what each stage shows, and the
// dialog's state around it.

#include "rig.h"

#include "embedded_resources.h"
#include "platform/resfile/res_file_resources.h"
#include "update/payload_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

namespace {

using sim::Reply;
using test::Rig;

const std::string kIsoCaption = "Uploading ISO Image...";
const std::string kKernelCaption = "Uploading Kernel Image...";

std::vector<std::uint8_t> ResourceBytes(Rig& rig, const CatalogueEntry& entry) {
    platform::Resources& resources = rig.machine.platform().resources;
    const auto bytes = resources.load(resources.find(entry.typeName, entry.id));
    return bytes ? std::vector<std::uint8_t>(bytes->begin(), bytes->end())
                 : std::vector<std::uint8_t>{};
}

// The stage captions and failure texts, in the order shown.
std::vector<std::string> StageTexts(const Rig& rig) {
    std::vector<std::string> texts;
    for (const std::string& text : rig.statusTexts()) {
        if (text == kIsoCaption || text == kKernelCaption ||
            text.rfind("firmware upload failed.", 0) == 0) {
            texts.push_back(text);
        }
    }
    return texts;
}

// Finished: Close enabled, Cancel reads OK and is enabled, Update stays disabled, no worker.
void ExpectFinished(const Rig& rig) {
    const sim::ControlsSnapshot controls = rig.machine.controls();
    EXPECT_TRUE(controls.closeCommandEnabled);
    EXPECT_EQ(controls.control(2).text, "OK");
    EXPECT_TRUE(controls.control(2).enabled);
    EXPECT_FALSE(controls.control(1001).enabled);
    EXPECT_EQ(rig.dlg.m_hWorker.load(), platform::ThreadHandle::None);
    EXPECT_EQ(rig.machine.openThreadHandles(), 0u);
    EXPECT_EQ(rig.machine.openDeviceCount(), 0u);
}

TEST(UpdateSequence, TwoStagePlanSendsMigrationImagesThenMain) {
    Rig rig(test::StickPc("1, 0, 3, 5"));
    ASSERT_EQ(rig.start(), 0u);
    ASSERT_TRUE(rig.dlg.m_bTwoStage);
    rig.runUpdate();

    const auto received = rig.machine.receivedImages();
    ASSERT_EQ(received.size(), 3u);
    const CatalogueEntry plan[] = {kMigrationIso, kMigrationKernel, kMainIso};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(received[i].kind, plan[i].kind) << i;
        EXPECT_EQ(received[i].declaredLength, plan[i].length) << i;
        EXPECT_TRUE(received[i].complete) << i;
        EXPECT_TRUE(received[i].bytes == ResourceBytes(rig, plan[i])) << i;
    }
    EXPECT_EQ(StageTexts(rig),
              (std::vector<std::string>{kIsoCaption, kKernelCaption, kIsoCaption}));
    EXPECT_EQ(rig.statusTexts().back(), "Update Done");
    EXPECT_EQ(test::Count(rig.statusTexts(), "Update Done"), 3u);
    EXPECT_TRUE(rig.machine.protocolViolations().empty());
    ExpectFinished(rig);

    // Each image starts its bar afresh at 0..100, after the check's 0..120 and 0..20.
    std::vector<std::pair<int, int>> ranges;
    for (const auto& event : rig.events("progress_range")) {
        ranges.emplace_back(event.fields["low"], event.fields["high"]);
    }
    const std::vector<std::pair<int, int>> stage = {{0, 100}, {0, 120}, {0, 20}};
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < 3; ++i) {
        expected.insert(expected.end(), stage.begin(), stage.end());
    }
    EXPECT_EQ(ranges, expected);
}

TEST(UpdateSequence, SingleStagePlanSendsOnlyTheMainImage) {
    Rig rig(test::StickPc("4, 0, 1, 2"));
    ASSERT_EQ(rig.start(), 0u);
    rig.runUpdate();
    const auto received = rig.machine.receivedImages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(received[0].bytes == ResourceBytes(rig, kMainIso));
    EXPECT_EQ(rig.statusTexts().back(), "Update Done");
    ExpectFinished(rig);

    // The worker locks the window first: both buttons, then the Close command.
    const auto events = rig.machine.transcript();
    std::vector<std::string> first;
    for (const auto& event : events) {
        if (event.op == "enable" || event.op == "close_command") {
            first.push_back(event.jsonLine().substr(event.jsonLine().find("\"op\"")));
        }
    }
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[0], R"("op":"enable","id":2,"enabled":false})");
    EXPECT_EQ(first[1], R"("op":"enable","id":1001,"enabled":false})");
    EXPECT_EQ(first[2], R"("op":"close_command","enabled":false})");
}

// The images this build embeds reach the stick whole, with the catalogue's lengths.
TEST(UpdateSequence, ProgramImagesReachTheStickUnchanged) {
    platform::resfile::ResFileResources program(platform::EmbeddedResources());
    sim::Machine machine(test::StickPc("1, 0, 3, 5"), &program);
    CKestrunDlg dlg(machine.platform());
    EngineFacts facts;
    ASSERT_EQ(dlg.StartEngine(facts), 0u);
    dlg.OnBnClickedUpdate();
    machine.joinWorkers();
    dlg.ReleaseEngine();

    const auto received = machine.receivedImages();
    ASSERT_EQ(received.size(), 3u);
    const CatalogueEntry plan[] = {kMigrationIso, kMigrationKernel, kMainIso};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto stored = program.load(program.find(plan[i].typeName, plan[i].id));
        ASSERT_TRUE(stored.has_value()) << i;
        EXPECT_EQ(received[i].declaredLength, plan[i].length) << i;
        EXPECT_TRUE(std::equal(received[i].bytes.begin(), received[i].bytes.end(), stored->begin(),
                               stored->end()))
            << i;
    }
}

// The verdict is shown only: an invalid first image is still followed by the kernel.
TEST(UpdateSequence, InvalidFirstStageStillSendsTheNext) {
    sim::Scenario scenario = test::StickPc("1, 0, 3, 5");
    sim::ImageScript invalid;
    invalid.check = {Reply::Busy(), Reply::Invalid()};
    scenario.stick.images = {invalid, {}, {}};
    Rig rig(scenario);
    ASSERT_EQ(rig.start(), 0u);
    rig.runUpdate();
    EXPECT_EQ(rig.machine.receivedImages().size(), 3u);
    EXPECT_EQ(test::Count(rig.statusTexts(), "Invalid Firmware"), 1u);
    ExpectFinished(rig);
}

TEST(UpdateSequence, StickGoneAfterFirstRebootEndsThePlan) {
    sim::Scenario scenario = test::StickPc("1, 0, 3, 5");
    sim::ImageScript first;
    first.rebootMs = sim::kNeverBack;
    scenario.stick.images = {first};
    Rig rig(scenario);
    ASSERT_EQ(rig.start(), 0u);
    rig.runUpdate();
    EXPECT_EQ(rig.machine.receivedImages().size(), 1u);
    EXPECT_EQ(StageTexts(rig), (std::vector<std::string>{kIsoCaption, kKernelCaption,
                                                         "firmware upload failed.\r\n(SPTI)"}));
    EXPECT_EQ(rig.statusTexts().back(), "firmware upload failed.\r\n(SPTI)");
    ExpectFinished(rig);
}

TEST(UpdateSequence, FailedWriteEndsThePlanWithItsText) {
    sim::Scenario scenario = test::StickPc("1, 0, 3, 5");
    sim::ImageScript failing;
    failing.failChunk = 1;
    scenario.stick.images = {failing};
    Rig rig(scenario);
    ASSERT_EQ(rig.start(), 0u);
    rig.runUpdate();
    EXPECT_EQ(rig.machine.receivedImages().size(), 1u);
    EXPECT_EQ(rig.statusTexts().back(), "firmware upload failed.");
    ExpectFinished(rig);
}

TEST(UpdateSequence, MissingOrUnloadableImages) {
    struct Case {
        const char* name;
        const char* version;
        std::uint16_t id; // the resource that is missing or fails to load
        bool unloadable;
        std::size_t imagesSent;
        std::vector<std::string> stageTexts;
    };
    const Case cases[] = {
        {"main missing", "4, 0, 1, 2", IDR_MAIN_ISO, false, 0, {}},
        {"kernel missing", "1, 0, 3, 5", IDR_MIGRATION_KERNEL, false, 1, {kIsoCaption}},
        {"migration missing", "1, 0, 3, 5", IDR_MIGRATION_ISO, false, 0, {}},
        {"main unloadable",
         "4, 0, 1, 2",
         IDR_MAIN_ISO,
         true,
         0,
         {kIsoCaption, "firmware upload failed.\r\n(Load Resource)"}},
        {"migration unloadable",
         "1, 0, 3, 5",
         IDR_MIGRATION_ISO,
         true,
         0,
         {kIsoCaption, "firmware upload failed.\r\n(Load Resource)"}},
    };
    for (const Case& c : cases) {
        sim::Scenario scenario = test::StickPc(c.version);
        auto& resources = scenario.resources;
        for (auto it = resources.begin(); it != resources.end(); ++it) {
            if (it->id == c.id) {
                if (c.unloadable) {
                    it->load = sim::ResourceLoad::Fail;
                } else {
                    resources.erase(it);
                }
                break;
            }
        }
        Rig rig(scenario);
        ASSERT_EQ(rig.start(), 0u) << c.name;
        rig.runUpdate();
        EXPECT_EQ(rig.machine.receivedImages().size(), c.imagesSent) << c.name;
        EXPECT_EQ(StageTexts(rig), c.stageTexts) << c.name;
        ExpectFinished(rig);
    }
}

TEST(UpdateSequence, SecondPressWhileTheWorkerRunsStartsNothing) {
    Rig rig(test::StickPc());
    ASSERT_EQ(rig.start(), 0u);
    // Hold the worker at its first status text until the second press has been made.
    std::promise<void> pressed;
    std::shared_future<void> released = pressed.get_future().share();
    rig.machine.setStatusObserver([released](std::string_view) { released.wait(); });
    rig.dlg.OnBnClickedUpdate();
    EXPECT_NE(rig.dlg.m_hWorker.load(), platform::ThreadHandle::None);
    rig.dlg.OnBnClickedUpdate();
    pressed.set_value();
    rig.machine.joinWorkers();
    EXPECT_EQ(rig.events("thread_create").size(), 1u);
    EXPECT_EQ(rig.machine.receivedImages().size(), 1u);
    ExpectFinished(rig);
}

// The handle is stored before the worker runs, so a worker that ends at once still leaves none.
TEST(UpdateSequence, WorkerThatEndsAtOnceLeavesNoHandle) {
    sim::Scenario scenario = test::StickPc();
    scenario.resources.clear();
    Rig rig(scenario);
    ASSERT_EQ(rig.start(), 0u);
    rig.runUpdate();
    EXPECT_TRUE(rig.statusTexts().empty());
    ExpectFinished(rig);
    const auto created = rig.events("thread_create");
    const auto closed = rig.events("thread_close");
    ASSERT_EQ(created.size(), 1u);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(created[0].fields["handle"], closed[0].fields["handle"]);
}

TEST(UpdateSequence, WorkerThatCannotBeCreatedLeavesUpdateEnabled) {
    sim::Scenario scenario = test::StickPc();
    scenario.threadCreationFails = true;
    Rig rig(scenario);
    ASSERT_EQ(rig.start(), 0u);
    rig.runUpdate();
    rig.runUpdate();
    EXPECT_EQ(rig.dlg.m_hWorker.load(), platform::ThreadHandle::None);
    EXPECT_TRUE(rig.events("enable").empty());
    EXPECT_TRUE(rig.statusTexts().empty());
    EXPECT_EQ(rig.events("thread_create").size(), 2u) << "each press tries again";
}

} // namespace
