// After a write: the status wait, the verdict shown, and the reboot countdowns.

#include "rig.h"

#include "update/completion_check.h"
#include "update/image_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sim::Reply;
using test::Rig;

const std::string kStatus = "ef00000c000000000000000000000000";
const std::string kOkText = "Uploading ISO Image... OK";

// What the check did: its status texts, bar operations, sleeps and status queries.
struct CheckRun {
    std::vector<std::string> texts;
    std::vector<int> positions;
    std::vector<std::pair<int, int>> ranges;
    std::vector<std::uint32_t> sleeps;
    std::size_t queries = 0;
    sim::ControlState bar;
};

// Writes a one-chunk image to a stick that answers the check with `check`, then runs the check.
CheckRun Check(std::vector<Reply> check) {
    sim::Scenario scenario = test::StickPc();
    sim::ImageScript script;
    script.check = std::move(check);
    scenario.stick.images = {script};
    Rig rig(scenario);
    rig.openStick();
    const auto image = test::Pattern(1000);
    EXPECT_EQ(WriteImage(rig.dlg, *rig.dlg.m_pSpti, IMAGE_ISO, image.data(), 1000), 0);
    const std::size_t mark = rig.machine.transcript().size();

    CheckFirmwareStatus(rig.dlg);

    CheckRun run;
    const auto events = rig.machine.transcript();
    for (std::size_t i = mark; i < events.size(); ++i) {
        const auto& e = events[i];
        if (e.op == "text") {
            run.texts.push_back(e.fields["text"]);
        } else if (e.op == "progress_pos") {
            run.positions.push_back(e.fields["pos"]);
        } else if (e.op == "progress_range") {
            run.ranges.emplace_back(e.fields["low"], e.fields["high"]);
        } else if (e.op == "sleep") {
            run.sleeps.push_back(e.fields["ms"]);
        } else if (e.op == "cdb") {
            EXPECT_EQ(e.fields["cdb"], kStatus);
            EXPECT_EQ(e.fields["timeout"], 1);
            ++run.queries;
        }
    }
    run.bar = rig.machine.controls().control(1002);
    return run;
}

std::string StatusWaitText(int n) {
    return "Wait for " + std::to_string(n) +
           " seconds to check Firmware status. \r\nDon't remove dongle";
}

std::vector<Reply> Repeat(Reply reply, int times) {
    return std::vector<Reply>(times, reply);
}

TEST(CheckFirmwareStatus, FirstReplyDoneFillsBarAndCountsDownReboot) {
    const CheckRun run = Check({Reply::Done()});

    std::vector<std::string> texts = {"Checking Firmware status...", StatusWaitText(120), kOkText};
    std::vector<int> positions = {0};
    std::vector<std::uint32_t> sleeps = {300};
    for (int p = 0; p <= 119; ++p) {
        positions.push_back(p);
        sleeps.push_back(1);
    }
    sleeps.push_back(1000);
    positions.push_back(0);
    for (int n = 20; n >= 1; --n) {
        texts.push_back("Wait " + std::to_string(n) +
                        " seconds for dongle reboot. \r\nDon't Remove dongle");
        positions.push_back(20 - n);
        sleeps.push_back(1000);
    }
    texts.push_back("Update Done");
    positions.push_back(20);

    EXPECT_EQ(run.texts, texts);
    EXPECT_EQ(run.positions, positions);
    EXPECT_EQ(run.sleeps, sleeps);
    EXPECT_EQ(run.ranges, (std::vector<std::pair<int, int>>{{0, 120}, {0, 20}}));
    EXPECT_EQ(run.queries, 1u);
    EXPECT_EQ(run.bar.high, 20);
    EXPECT_EQ(run.bar.position, 20);
}

// No valid first answer: the stick is taken to be rebooting already.
TEST(CheckFirmwareStatus, NoValidFirstAnswerCountsDownTwentyFiveSeconds) {
    const std::vector<Reply> firstReplies = {
        Reply::Fail(),
        Reply::Gone(),
        Reply{Reply::Kind::Status, 1, false, 12}, // wrong magic
        Reply{Reply::Kind::Status, 1, true, 8},   // magic, but no state byte
        Reply{Reply::Kind::Status, 1, true, 0},
    };
    std::vector<std::string> texts;
    std::vector<std::uint32_t> sleeps = {300};
    for (int n = 25; n >= 1; --n) {
        texts.push_back("Wait " + std::to_string(n) +
                        " for dongle reboot. \r\nDon't Remove dongle");
        sleeps.push_back(1000);
    }
    texts.push_back("Update Done");
    for (const Reply& first : firstReplies) {
        const CheckRun run = Check({first, Reply::Done()});
        EXPECT_EQ(run.texts, texts) << "length " << int(first.length);
        EXPECT_EQ(run.sleeps, sleeps);
        EXPECT_EQ(run.positions, std::vector<int>{0});
        EXPECT_EQ(run.queries, 1u);
        EXPECT_EQ(run.bar.high, 120);
    }
}

TEST(CheckFirmwareStatus, VerdictsOfTheStatusWait) {
    struct Case {
        const char* name;
        std::vector<Reply> replies;
        std::string last;
        int passes; // countdown texts shown
        std::size_t queries;
        int bar;
    };
    std::vector<Reply> failAt57 = Repeat(Reply::Busy(), 64);
    failAt57.push_back(Reply::Fail());
    const Case cases[] = {
        {"invalid after busy", {Reply::Busy(), Reply::Invalid()}, "Invalid Firmware", 2, 2, 0},
        {"error at once", {Reply::Error()}, "Update Firmware Error", 1, 1, 0},
        {"busy throughout", {Reply::Busy()}, "Timeout", 120, 121, 119},
        {"query fails at 57", failAt57, "Unknown Firmware status", 64, 65, 62},
    };
    for (const Case& c : cases) {
        const CheckRun run = Check(c.replies);
        ASSERT_FALSE(run.texts.empty()) << c.name;
        EXPECT_EQ(run.texts.front(), "Checking Firmware status...") << c.name;
        EXPECT_EQ(run.texts.back(), c.last) << c.name;
        EXPECT_EQ(run.texts.size(), static_cast<std::size_t>(c.passes) + 2) << c.name;
        EXPECT_EQ(run.texts[run.texts.size() - 2], StatusWaitText(121 - c.passes)) << c.name;
        EXPECT_EQ(run.queries, c.queries) << c.name;
        EXPECT_EQ(run.bar.position, c.bar) << c.name;
        EXPECT_EQ(run.bar.high, 120) << c.name;
    }
}

// A later reply is judged by its state byte alone; states other than 1, 3 and 4 keep waiting.
TEST(CheckFirmwareStatus, LaterRepliesAreJudgedByStateAlone) {
    const std::vector<Reply> seconds = {
        Reply{Reply::Kind::Status, 1, false, 12}, // wrong magic, state done: success
        Reply::State(0),
        Reply::State(5),
        Reply::State(255),
        Reply{Reply::Kind::Status, 1, true, 0}, // no bytes: the busy state stays
        Reply{Reply::Kind::Status, 1, true, 8}, // no state byte: the busy state stays
    };
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        const CheckRun run = Check({Reply::Busy(), seconds[i], Reply::Done()});
        const bool doneAtOnce = i == 0;
        EXPECT_EQ(run.texts.back(), "Update Done") << i;
        EXPECT_EQ(run.queries, doneAtOnce ? 2u : 3u) << i;
        ASSERT_GT(run.texts.size(), 4u);
        EXPECT_EQ(run.texts[3], doneAtOnce ? kOkText : StatusWaitText(118)) << i;
        // The fill starts where the last pass left the bar.
        const int fillStart = doneAtOnce ? 1 : 2;
        EXPECT_EQ(run.positions[doneAtOnce ? 2 : 3], fillStart) << i;
    }
}

} // namespace
