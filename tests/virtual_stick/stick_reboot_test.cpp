// The stick's vendor commands and reboots on the USB link: what it answers, when it leaves the bus
// and comes back, which disc it then serves, and the images it keeps.

#include "vstick_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

namespace vstick {
namespace {

using sim::ImageScript;
using sim::Reply;
using sim::StickScript;
using test::Bytes;
using test::Exchange;
using test::MakeCdb;
using test::Rig;

constexpr std::uint32_t kChunk = 122880; // the tool's 120 KiB
constexpr std::uint8_t kKernel = 1;
constexpr std::uint8_t kIso = 2;

StickScript OneImage(const ImageScript& image) {
    StickScript script;
    script.images = {image};
    return script;
}

bool AnyLineHas(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

// The last LBA READ CAPACITY gives.
std::uint32_t LastLba(Rig& rig) {
    const Exchange e = rig.run(MakeCdb({0x25}), true, 8);
    if (e.data.size() != 8) {
        return 0;
    }
    return std::uint32_t{e.data[0]} << 24 | std::uint32_t{e.data[1]} << 16 |
           std::uint32_t{e.data[2]} << 8 | e.data[3];
}

class ListKeeper : public ImageKeeper {
  public:
    bool keep(std::size_t number, std::uint8_t kind, std::span<const std::uint8_t> bytes,
              std::string& where, std::string&) override {
        kept[number] = {kind, Bytes(bytes.begin(), bytes.end())};
        where = "memory";
        return true;
    }
    std::map<std::size_t, std::pair<std::uint8_t, Bytes>> kept;
};

TEST(StickVendorCommands, ReachTheModelAndComeBackAsItAnswers) {
    StickScript failing;
    failing.identifyFails = true;
    struct Case {
        const char* name;
        StickScript script;
        test::Cdb cdb;
        std::uint32_t hostLength;
        std::uint8_t status;
        Bytes starts; // the data-in
        std::uint8_t senseKey;
        std::uint8_t asc;
    };
    const Case cases[] = {
        {"identify",
         {},
         test::kIdentifyCdb,
         4096,
         0,
         Bytes{0x05, 0x80, 0x00, 0x02, 0x1F, 0, 0, 0, 'K', 'O', 'R', 'V'},
         0,
         0},
        {"identify that fails", failing, test::kIdentifyCdb, 4096, 1, {}, 0x04, 0x44},
        {"status", {}, test::kStatusCdb, 12, 0, Bytes{0xAB, 0xC0, 0x52, 0x07, 0, 0, 0, 0, 0}, 0, 0},
        {"status with the wrong length", {}, test::kStatusCdb, 8, 1, {}, 0x05, 0x24},
        {"a write sent as data-in", {}, test::WriteCdb(kIso, true, 0, 0, 0), 0, 1, {}, 0x05, 0x24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.script);
        const Exchange e = rig.run(c.cdb, true, c.hostLength);
        ASSERT_TRUE(e.csw);
        EXPECT_EQ(e.csw->status, c.status);
        ASSERT_GE(e.data.size(), c.starts.size());
        EXPECT_EQ(Bytes(e.data.begin(), e.data.begin() + c.starts.size()), c.starts);
        EXPECT_EQ(e.csw->residue, c.hostLength - e.data.size());
        EXPECT_EQ(rig.sense(), std::make_pair(c.senseKey, c.asc));
        EXPECT_EQ(rig.stick.failed(), c.senseKey == 0x05) << "refusals are protocol violations";
        EXPECT_EQ(AnyLineHas(rig.lines, "protocol violation: "), c.senseKey == 0x05);
    }
}

TEST(StickVendorCommands, TakeTheScriptsLatencyOnTheClock) {
    StickScript script;
    script.latencyMs = 250;
    Rig rig(script);
    rig.clock.now = 1000;
    ASSERT_EQ(rig.status(), 0);
    EXPECT_EQ(rig.clock.nowMs(), 1250u);
    rig.run(MakeCdb({0x00}), true, 0);
    EXPECT_EQ(rig.clock.nowMs(), 1250u) << "the CD-ROM drive answers at once";
}

TEST(StickVendorCommands, AreTracedWithFailedDriveCommandsWhenAsked) {
    ImageScript vanishing;
    vanishing.vanishAtChunk = 0;
    Rig rig(OneImage(vanishing));
    rig.run(MakeCdb({0x00}), true, 0);
    rig.status();
    EXPECT_TRUE(rig.lines.empty()) << "no trace unless asked";

    rig.stick.setTrace(true);
    rig.clock.now = 42;
    rig.status();
    rig.run(MakeCdb({0x00}), true, 0);
    rig.run(MakeCdb({0xA3}), true, 0);
    rig.write(kIso, test::MakeVolume(20, 1), kChunk);
    const std::vector<std::string> expected = {
        "42 ms: command EFh, in 12 bytes: good, 12 bytes",
        "42 ms: command A3h, in 0 bytes: CHECK CONDITION",
        "42 ms: command F0h, out 40960 bytes: held back",
    };
    ASSERT_GE(rig.lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(rig.lines.begin(), rig.lines.begin() + 3), expected);
}

TEST(StickReboot, AfterADoneIsoImageTheStickComesBackServingIt) {
    ImageScript image;
    image.check = {Reply::Busy(), Reply::Done()};
    image.rebootMs = 15000;
    test::TempFolder folder;
    FolderKeeper keeper(folder.path());
    Rig rig(OneImage(image), 40, &keeper);
    const Bytes iso = test::MakeVolume(150, 9); // two whole chunks and a half

    rig.clock.now = 1000;
    ASSERT_EQ(rig.status(), 0) << "pre-check: idle";
    const std::vector<Exchange> writes = rig.write(kIso, iso, kChunk);
    ASSERT_EQ(writes.size(), 3u);
    for (const Exchange& write : writes) {
        EXPECT_TRUE(test::CswIs(write, 0, 0));
    }
    const std::string kept = folder.path() + "/image-0-kind2.bin";
    EXPECT_EQ(test::ReadFile(kept), iso) << "kept as soon as the last chunk arrived";
    EXPECT_TRUE(AnyLineHas(rig.lines, "image 0 complete: kind 2, 307200 bytes, kept as " + kept));

    rig.clock.now = 2000;
    EXPECT_EQ(rig.status(), 2) << "busy";
    EXPECT_TRUE(rig.bus.changes.empty());
    rig.clock.now = 3000;
    EXPECT_EQ(rig.status(), 1) << "done, and the reply still reaches the host";
    ASSERT_EQ(rig.bus.changes.size(), 1u);
    EXPECT_FALSE(rig.bus.changes[0].onBus);
    EXPECT_EQ(rig.bus.changes[0].atMs, 3000u);
    EXPECT_FALSE(rig.stick.onBus());
    EXPECT_TRUE(
        AnyLineHas(rig.lines, "leaving the bus for 15000 ms: rebooting to install image 0"));

    rig.clock.now = 17999;
    rig.stick.tick();
    EXPECT_EQ(rig.bus.changes.size(), 1u);
    rig.clock.now = 18000;
    rig.stick.tick();
    ASSERT_EQ(rig.bus.changes.size(), 2u);
    EXPECT_TRUE(rig.bus.changes[1].onBus);
    EXPECT_TRUE(AnyLineHas(rig.lines, "back on the bus, serving image 0 (kind 2) (150 sectors)"));

    EXPECT_EQ(LastLba(rig), 149u);
    const Exchange read = rig.run(MakeCdb({0x28, 0, 0, 0, 0, 16, 0, 0, 1}), true, 2048);
    EXPECT_EQ(read.data, Bytes(iso.begin() + 16 * 2048, iso.begin() + 17 * 2048));
    EXPECT_EQ(rig.status(), 0) << "awaiting the next image";
    EXPECT_FALSE(rig.stick.failed());
}

TEST(StickReboot, OnlyADoneIsoImageChangesTheDisc) {
    ImageScript kernelDone;
    kernelDone.rebootMs = 1000;
    ImageScript restarting;
    restarting.check = {Reply::Gone()};
    restarting.rebootMs = 1000;
    ImageScript vanishing;
    vanishing.vanishAtChunk = 1;
    vanishing.rebootMs = 1000;
    ImageScript refusing;
    refusing.check = {Reply::Invalid()};
    struct Case {
        const char* name;
        ImageScript script;
        std::uint8_t kind;
        bool writeHeld;  // the last write never came back
        bool statusHeld; // the verdict never came back
        bool leaves;
        std::size_t kept; // images kept
    };
    const Case cases[] = {
        {"a kernel image", kernelDone, kKernel, false, false, true, 1},
        {"an image the stick restarts after on its own", restarting, kIso, false, true, true, 1},
        {"an image the stick vanishes in", vanishing, kIso, true, true, true, 0},
        {"an image the stick refuses", refusing, kIso, false, false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListKeeper keeper;
        Rig rig(OneImage(c.script), 40, &keeper);
        const Bytes image = test::MakeVolume(130, 3);
        rig.clock.now = 500;
        const std::vector<Exchange> writes = rig.write(c.kind, image, kChunk);
        EXPECT_EQ(writes.back().outcome == BotSession::Outcome::Held, c.writeHeld);
        EXPECT_EQ(rig.pipe.fromHost.size(), 0u);
        if (!c.writeHeld) {
            EXPECT_EQ(rig.status().has_value(), !c.statusHeld);
        }
        EXPECT_EQ(!rig.bus.changes.empty(), c.leaves);
        EXPECT_EQ(keeper.kept.size(), c.kept);
        if (c.kept > 0) {
            EXPECT_EQ(keeper.kept.at(0), std::make_pair(c.kind, image));
        }

        rig.clock.now = 1500;
        rig.stick.tick();
        EXPECT_TRUE(rig.stick.onBus());
        EXPECT_EQ(rig.bus.changes.size(), c.leaves ? 2u : 0u);
        EXPECT_EQ(LastLba(rig), 39u) << "the disc it started with";
        EXPECT_EQ(rig.stick.medium()->name(), "start.iso");
    }
}

TEST(StickReboot, AStickThatNeverComesBackStaysOffTheBus) {
    ImageScript image;
    image.vanishAtChunk = 0;
    image.rebootMs = sim::kNeverBack;
    Rig rig(OneImage(image));
    const std::vector<Exchange> writes = rig.write(kIso, test::MakeVolume(20, 1), kChunk);
    EXPECT_EQ(writes.back().outcome, BotSession::Outcome::Held);
    EXPECT_TRUE(rig.pipe.toHost.empty());
    EXPECT_TRUE(AnyLineHas(rig.lines, "leaving the bus for good: gone in the middle"));
    rig.clock.now = 1'000'000'000;
    rig.stick.tick();
    EXPECT_FALSE(rig.stick.onBus());
    EXPECT_EQ(rig.bus.changes.size(), 1u);
}

TEST(StickReboot, ARebootThatFallsDueDuringACommandWaitsForItsEnd) {
    ImageScript image;
    image.rebootDelayMs = 300;
    image.rebootMs = 2000;
    Rig rig(OneImage(image));
    rig.write(kIso, test::MakeVolume(20, 1), kChunk);
    rig.clock.now = 1000;
    ASSERT_EQ(rig.status(), 1);
    rig.clock.now = 1299;
    rig.stick.tick();
    EXPECT_TRUE(rig.bus.changes.empty()) << "the reboot starts 300 ms after the verdict";

    // A command under way when the time comes: its CSW goes out first.
    rig.clock.now = 1300;
    Bytes data(36);
    const test::Cdb inquiry = MakeCdb({0x12, 0, 0, 0, 36});
    rig.stick.execute(CommandBlock{inquiry, 0, true, 36}, data);
    rig.stick.tick();
    EXPECT_TRUE(rig.bus.changes.empty());
    rig.stick.finished();
    ASSERT_EQ(rig.bus.changes.size(), 1u);
    EXPECT_EQ(rig.bus.changes[0].atMs, 1300u);
}

TEST(StickReboot, AnAbsenceThatBeganAndEndedBetweenTwoTicksIsStillSeen) {
    ImageScript image;
    image.rebootDelayMs = 300;
    image.rebootMs = 100;
    Rig rig(OneImage(image));
    rig.write(kIso, test::MakeVolume(20, 1), kChunk);
    rig.clock.now = 1000;
    ASSERT_EQ(rig.status(), 1);
    rig.clock.now = 5000;
    rig.stick.tick();
    ASSERT_EQ(rig.bus.changes.size(), 2u);
    EXPECT_FALSE(rig.bus.changes[0].onBus);
    EXPECT_TRUE(rig.bus.changes[1].onBus);
    EXPECT_EQ(LastLba(rig), 19u) << "and it brought the image";
}

TEST(StickReboot, TicksFromATimerThreadInterleaveWithCommands) {
    ImageScript image;
    image.rebootDelayMs = 500;
    image.rebootMs = 1000;
    Rig rig(OneImage(image));
    rig.write(kIso, test::MakeVolume(20, 1), kChunk);
    ASSERT_EQ(rig.status(), 1); // away from 500 to 1500

    // The timer moves time on and ticks while the host keeps reading the drive.
    std::thread timer([&rig] {
        for (std::uint64_t t = 0; t <= 2000; t += 10) {
            rig.clock.now = t;
            rig.stick.tick();
        }
    });
    int answered = 0;
    for (int i = 0; i < 200; ++i) {
        answered += test::CswIs(rig.run(MakeCdb({0x12, 0, 0, 0, 36}), true, 36), 0, 0) ? 1 : 0;
    }
    timer.join();
    EXPECT_EQ(answered, 200);
    ASSERT_EQ(rig.bus.changes.size(), 2u);
    EXPECT_FALSE(rig.bus.changes[0].onBus);
    EXPECT_GE(rig.bus.changes[0].atMs, 500u);
    EXPECT_TRUE(rig.bus.changes[1].onBus);
    EXPECT_GE(rig.bus.changes[1].atMs, 1500u);
    EXPECT_EQ(LastLba(rig), 19u);
}

TEST(StickReboot, AnImageThatCannotBeKeptFailsTheRun) {
    FolderKeeper keeper("/nonexistent-folder-of-the-virtual-stick");
    Rig rig({}, 40, &keeper);
    const std::vector<Exchange> writes = rig.write(kKernel, Bytes(5000, 0x42), kChunk);
    EXPECT_TRUE(test::CswIs(writes.back(), 0, 0)) << "the stick took it all the same";
    EXPECT_TRUE(rig.stick.failed());
    EXPECT_TRUE(AnyLineHas(rig.lines, "image 0 complete: kind 1, 5000 bytes, not kept: "));
}

} // namespace
} // namespace vstick
