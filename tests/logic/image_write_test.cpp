// Sending one image: chunking, the write command's fields, pacing, busy waits, refusals and
// the progress shown.

#include "rig.h"

#include "update/image_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sim::Reply;
using test::Rig;

// A stick whose adapter yields `transferSize` (a multiple of 4096) and whose first image follows
// `script`.
sim::Scenario Stick(std::uint32_t transferSize, sim::ImageScript script = {}) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').adapter =
        sim::AdapterLimits{transferSize, transferSize / 4096 + 1, 0};
    scenario.stick.images = {script};
    return scenario;
}

int Write(Rig& rig, ImageKind kind, const std::vector<std::uint8_t>& image) {
    return WriteImage(rig.dlg, *rig.dlg.m_pSpti, kind, image.data(),
                      static_cast<std::uint32_t>(image.size()));
}

// The commands of the write, from the pre-check on, as hex CDBs.
std::vector<std::string> WriteCommands(const Rig& rig) {
    std::vector<std::string> cdbs = rig.cdbs();
    cdbs.erase(cdbs.begin()); // discovery's identify
    return cdbs;
}

const std::string kStatus = "ef00000c000000000000000000000000";

TEST(WriteImage, WorkedExampleChunksPollsAndProgress) {
    Rig rig(Stick(4096));
    rig.openStick("Uploading Kernel Image...");
    const auto image = test::Pattern(10000);

    ASSERT_EQ(Write(rig, IMAGE_KERNEL, image), 0);
    EXPECT_EQ(WriteCommands(rig),
              (std::vector<std::string>{kStatus, "f0010000000027100010000000000000", kStatus,
                                        "f0010000000027100010000000010000", kStatus,
                                        "f0010100000027100007100000020000"}));
    EXPECT_EQ(rig.progressPositions(), (std::vector<int>{40, 81, 100}));
    EXPECT_EQ(rig.statusTexts(), (std::vector<std::string>{"Uploading Kernel Image... (40%)",
                                                           "Uploading Kernel Image... (81%)",
                                                           "Uploading Kernel Image... (100%)"}));
    EXPECT_EQ(rig.sleeps(), (std::vector<std::uint32_t>{100, 100, 100}));

    // The pre-check waits 1 second for its answer, each poll 3, each chunk 5.
    std::vector<int> timeouts;
    for (const auto& event : rig.events("cdb")) {
        timeouts.push_back(event.fields["timeout"].get<int>());
        if (test::Opcode(event.fields["cdb"]) == "f0") {
            EXPECT_EQ(event.fields["dir"], "out");
        }
    }
    EXPECT_EQ(timeouts, (std::vector<int>{1, 1, 5, 3, 5, 3, 5}));
    const auto received = rig.machine.receivedImages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].kind, IMAGE_KERNEL);
    EXPECT_TRUE(received[0].complete);
    EXPECT_EQ(received[0].bytes, image);
    EXPECT_TRUE(rig.machine.protocolViolations().empty());
}

TEST(WriteImage, MillionBytesInSixteenCommands) {
    Rig rig(Stick(65536));
    rig.openStick();
    const auto image = test::Pattern(1'000'000);
    ASSERT_EQ(Write(rig, IMAGE_ISO, image), 0);

    std::vector<std::string> writes;
    for (const std::string& cdb : WriteCommands(rig)) {
        if (test::Opcode(cdb) == "f0") {
            writes.push_back(cdb);
        }
    }
    ASSERT_EQ(writes.size(), 16u);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].substr(8, 8), "000f4240") << i;
    }
    EXPECT_EQ(writes[14], "f0020000000f424001000000000e0000");
    EXPECT_EQ(writes[15], "f0020100000f424000424000000f0000");
    EXPECT_EQ(rig.machine.receivedImages().at(0).bytes, image);
}

struct ShapeCase {
    const char* name;
    std::uint32_t length;
    std::uint32_t transferSize;
    std::vector<std::string> expected; // commands after the pre-check
    std::vector<int> progress;
};

class WriteShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(WriteShapes, ChunksCarryFlagOnlyOnTheLast) {
    const ShapeCase& c = GetParam();
    Rig rig(Stick(c.transferSize));
    rig.openStick();
    ASSERT_EQ(Write(rig, IMAGE_ISO, test::Pattern(c.length)), 0);
    std::vector<std::string> commands = WriteCommands(rig);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), kStatus) << "the pre-check is always made";
    commands.erase(commands.begin());
    EXPECT_EQ(commands, c.expected);
    EXPECT_EQ(rig.progressPositions(), c.progress);
    EXPECT_TRUE(rig.machine.protocolViolations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Images, WriteShapes,
    ::testing::Values(
        ShapeCase{"ShorterThanTransfer", 1000, 4096, {"f0020100000003e80003e80000000000"}, {100}},
        ShapeCase{"ExactMultiple",
                  8192,
                  4096,
                  {"f0020000000020000010000000000000", kStatus, "f0020100000020000010000000010000"},
                  {50, 100}},
        ShapeCase{"Empty", 0, 4096, {}, {}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(WriteImage, BusyStickHoldsTheNextChunkBack) {
    sim::ImageScript script;
    script.polls[0] = {Reply::Busy(), Reply::Busy(), Reply::Busy(), Reply::Done()};
    Rig rig(Stick(4096, script));
    rig.openStick();
    ASSERT_EQ(Write(rig, IMAGE_ISO, test::Pattern(3 * 4096)), 0);

    const std::vector<std::string> commands = WriteCommands(rig);
    EXPECT_EQ(test::Count(commands, kStatus), 1u + 4u + 1u); // pre-check, after 0, after 1
    EXPECT_EQ(rig.sleeps(), (std::vector<std::uint32_t>{100, 500, 500, 500, 100, 100}));
    EXPECT_EQ(rig.progressPositions(), (std::vector<int>{33, 66, 100}));
    // The report for chunk 0 comes after the busy waits.
    const auto positions = rig.events("progress_pos");
    const auto sleeps = rig.events("sleep");
    EXPECT_GE(positions.front().t, sleeps[3].t + 500);
}

TEST(WriteImage, PollWithoutAnswerStopsPollingForTheImage) {
    sim::ImageScript script;
    script.polls[0] = {Reply::Fail()};
    script.polls[1] = {Reply::Busy()};
    Rig rig(Stick(4096, script));
    rig.openStick();
    ASSERT_EQ(Write(rig, IMAGE_ISO, test::Pattern(4 * 4096)), 0);
    EXPECT_EQ(test::Count(WriteCommands(rig), kStatus), 2u); // the pre-check and the failed poll
    EXPECT_EQ(rig.sleeps(), (std::vector<std::uint32_t>{100, 100, 100, 100}));
    EXPECT_EQ(rig.machine.receivedImages().at(0).received, 4u * 4096);
}

TEST(WriteImage, RefusalAfterChunkFiveEndsTheWrite) {
    for (const Reply refusal : {Reply::Error(), Reply::Invalid()}) {
        sim::ImageScript script;
        script.polls[5] = {refusal};
        Rig rig(Stick(4096, script));
        rig.openStick();
        EXPECT_EQ(Write(rig, IMAGE_ISO, test::Pattern(10 * 4096)), -1);
        EXPECT_EQ(rig.machine.receivedImages().at(0).chunks, 6u) << "chunk 6 is never sent";
        EXPECT_EQ(rig.progressPositions().back(), 50) << "the last report is chunk 4's";
        EXPECT_EQ(rig.progressPositions().size(), 5u);
    }
}

TEST(WriteImage, FailedChunkEndsAtOnceWithoutPauseOrReport) {
    sim::ImageScript script;
    script.failChunk = 2;
    Rig rig(Stick(4096, script));
    rig.openStick();
    EXPECT_EQ(Write(rig, IMAGE_ISO, test::Pattern(5 * 4096)), -1);
    EXPECT_EQ(rig.sleeps().size(), 2u);
    EXPECT_EQ(rig.progressPositions(), (std::vector<int>{20, 40}));
    const auto commands = WriteCommands(rig);
    EXPECT_EQ(test::Opcode(commands.back()), "f0");
}

// Any state but a refusal or busy lets the next chunk go at once.
TEST(WriteImage, OtherStatesCountAsDone) {
    for (const std::uint8_t state : {0, 1, 5, 200, 255}) {
        sim::ImageScript script;
        script.polls[0] = {Reply::State(state)};
        Rig rig(Stick(4096, script));
        rig.openStick();
        ASSERT_EQ(Write(rig, IMAGE_ISO, test::Pattern(2 * 4096)), 0) << int(state);
        EXPECT_EQ(rig.sleeps(), (std::vector<std::uint32_t>{100, 100})) << int(state);
    }
}

// A pre-check answer decides polling, whatever state it carries; no valid answer means none.
TEST(WriteImage, PreCheckDecidesPolling) {
    struct Case {
        Reply preCheck;
        bool polls;
    };
    const Case cases[] = {
        {Reply::Busy(), true},
        {Reply::Idle(), true},
        {Reply::Fail(), false},
        {Reply{Reply::Kind::Status, 1, false, 12}, false}, // wrong magic
        {Reply{Reply::Kind::Status, 2, true, 8}, false},   // magic, but no state byte
        {Reply{Reply::Kind::Status, 2, true, 0}, false},
    };
    for (const Case& c : cases) {
        sim::ImageScript script;
        script.preCheck = c.preCheck;
        Rig rig(Stick(4096, script));
        rig.openStick();
        ASSERT_EQ(Write(rig, IMAGE_ISO, test::Pattern(3 * 4096)), 0);
        const std::vector<std::string> commands = WriteCommands(rig);
        EXPECT_EQ(test::Count(commands, kStatus), c.polls ? 3u : 1u)
            << "state " << int(c.preCheck.state) << " length " << int(c.preCheck.length);
        EXPECT_EQ(test::Opcode(commands[1]), "f0") << "the first chunk goes at once";
    }
}

TEST(WriteImage, ProgressOfLargeImageDoesNotOverflow) {
    Rig rig(Stick(0x10000000)); // the adapter allows more than the command can carry
    rig.openStick();
    const auto image = test::Pattern(60'000'000);
    ASSERT_EQ(Write(rig, IMAGE_ISO, image), 0);
    EXPECT_EQ(rig.progressPositions(), (std::vector<int>{27, 55, 83, 100}));
    const auto received = rig.machine.receivedImages().at(0);
    EXPECT_EQ(received.largestChunk, 0xFFF000u);
    EXPECT_TRUE(received.complete);
    EXPECT_TRUE(received.bytes == image);
}

TEST(WriteImage, ImageNeedingMoreChunksThanTheCommandNumbersIsRefused) {
    sim::Scenario scenario = test::StickPc();
    test::Drive(scenario, 'E').adapter.reset(); // 2048-byte chunks
    Rig rig(scenario);
    rig.openStick();
    const std::vector<std::uint8_t> image(std::size_t{65536} * 2048 + 1);
    EXPECT_EQ(Write(rig, IMAGE_ISO, image), -1);
    EXPECT_EQ(WriteCommands(rig), std::vector<std::string>{}) << "nothing reaches the stick";
}

TEST(ReportUploadProgress, CaptionPercentageAndBar) {
    Rig rig(test::StickPc());
    rig.openStick("Uploading Kernel Image...");
    ReportUploadProgress(42, rig.dlg);
    const auto snapshot = rig.machine.controls();
    EXPECT_EQ(snapshot.control(1000).text, "Uploading Kernel Image... (42%)");
    EXPECT_EQ(snapshot.control(1002).position, 42);
}

} // namespace
