// The stick on its own: what it accepts, what it refuses, how it answers and when it reboots.

#include "platform/sim/stick_model.h"

#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace sim {
namespace {

using test::Cdb;
using test::WriteCdb;

constexpr std::uint8_t kIso = 2;
constexpr std::uint8_t kMagic[4] = {0xAB, 0xC0, 0x52, 0x07};

std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t start) {
    std::vector<std::uint8_t> bytes(length);
    std::iota(bytes.begin(), bytes.end(), start);
    return bytes;
}

// Drives a StickModel as a host would.
struct Host {
    explicit Host(StickScript script = {}) : stick(std::move(script)) {}

    StickResponse send(const Cdb& cdb, DataDirection direction, std::span<std::uint8_t> data,
                       std::uint64_t t, std::uint32_t timeout = 5) {
        StickCommand command;
        command.cdb = cdb;
        command.direction = direction;
        command.data = data;
        command.timeoutSeconds = timeout;
        return stick.execute(command, t);
    }

    StickResponse status(std::uint64_t t = 0) {
        reply.fill(0xEE);
        return send(test::kStatusCdb, DataDirection::In, reply, t, 1);
    }

    // Chunk `chunk` of an image of `total` bytes cut at `transfer` bytes.
    StickResponse chunk(std::vector<std::uint8_t>& image, std::uint32_t transfer,
                        std::uint32_t chunk, std::uint64_t t = 0) {
        const std::uint32_t total = static_cast<std::uint32_t>(image.size());
        const std::uint32_t offset = chunk * transfer;
        const std::uint32_t length = std::min(transfer, total - offset);
        return send(WriteCdb(kIso, offset + length == total, total, length, chunk),
                    DataDirection::Out, std::span(image).subspan(offset, length), t);
    }

    // Sends every chunk; true when the stick took them all.
    bool sendImage(std::vector<std::uint8_t>& image, std::uint32_t transfer, std::uint64_t t = 0) {
        const auto chunks = static_cast<std::uint32_t>((image.size() + transfer - 1) / transfer);
        for (std::uint32_t n = 0; n < chunks; ++n) {
            const StickResponse r = chunk(image, transfer, n, t);
            if (!r.answered || r.scsiStatus != kScsiGood) {
                return false;
            }
        }
        return true;
    }

    StickModel stick;
    std::array<std::uint8_t, 12> reply{};
};

TEST(StickModel, ReassemblesAnImageFromItsChunks) {
    Host host;
    std::vector<std::uint8_t> image = Pattern(10000, 7);
    ASSERT_TRUE(host.sendImage(image, 4096));

    ASSERT_EQ(host.stick.images().size(), 1u);
    const ReceivedImage& received = host.stick.images()[0];
    EXPECT_EQ(received.kind, kIso);
    EXPECT_EQ(received.declaredLength, 10000u);
    EXPECT_EQ(received.bytes, image);
    EXPECT_TRUE(received.complete);
    EXPECT_EQ(received.chunks, 3u);
    EXPECT_EQ(received.largestChunk, 4096u);
    EXPECT_EQ(received.minTimeoutSeconds, 5u);
    EXPECT_EQ(received.maxTimeoutSeconds, 5u);
    EXPECT_TRUE(host.stick.violations().empty());
    EXPECT_EQ(host.stick.commandCount(StickModel::kOpWriteImage), 3u);
}

struct MalformedWrite {
    const char* name;
    bool afterFirstChunk; // chunk 0 of a 10000-byte image in 4096-byte chunks went first
    Cdb cdb;
    DataDirection direction;
    std::uint32_t dataLength;
    const char* mentions; // a word of the recorded violation
};

Cdb WithByte(Cdb cdb, std::size_t index, std::uint8_t value) {
    cdb[index] = value;
    return cdb;
}

const MalformedWrite kMalformedWrites[] = {
    {"direction in", false, WriteCdb(kIso, false, 10000, 4096, 0), DataDirection::In, 4096,
     "direction"},
    {"kind 3", false, WriteCdb(3, false, 10000, 4096, 0), DataDirection::Out, 4096, "kind"},
    {"reserved byte 3", false, WithByte(WriteCdb(kIso, false, 10000, 4096, 0), 3, 1),
     DataDirection::Out, 4096, "reserved"},
    {"reserved byte 11", false, WithByte(WriteCdb(kIso, false, 10000, 4096, 0), 11, 1),
     DataDirection::Out, 4096, "reserved"},
    {"reserved byte 14", false, WithByte(WriteCdb(kIso, false, 10000, 4096, 0), 14, 1),
     DataDirection::Out, 4096, "reserved"},
    {"reserved byte 15", false, WithByte(WriteCdb(kIso, false, 10000, 4096, 0), 15, 1),
     DataDirection::Out, 4096, "reserved"},
    {"chunk length not the transfer length", false, WriteCdb(kIso, false, 10000, 4096, 0),
     DataDirection::Out, 2048, "transfer length"},
    {"empty chunk", false, WriteCdb(kIso, false, 10000, 0, 0), DataDirection::Out, 0,
     "chunk length"},
    {"flag 2", false, WithByte(WriteCdb(kIso, false, 10000, 4096, 0), 2, 2), DataDirection::Out,
     4096, "flag"},
    {"flag on a chunk that is not the last", false, WriteCdb(kIso, true, 10000, 4096, 0),
     DataDirection::Out, 4096, "last-chunk"},
    {"no flag on the last chunk", false, WriteCdb(kIso, false, 4096, 4096, 0), DataDirection::Out,
     4096, "last-chunk"},
    {"chunk longer than the image", false, WriteCdb(kIso, true, 100, 4096, 0), DataDirection::Out,
     4096, "left"},
    {"image larger than the flash", false, WriteCdb(kIso, false, 0x7FFFFFFF, 4096, 0),
     DataDirection::Out, 4096, "flash"},
    {"first chunk numbered 1", false, WriteCdb(kIso, false, 10000, 4096, 1), DataDirection::Out,
     4096, "no image"},
    {"chunk skipped", true, WriteCdb(kIso, false, 10000, 4096, 2), DataDirection::Out, 4096,
     "expected 1"},
    {"image length changed", true, WriteCdb(kIso, false, 20000, 4096, 1), DataDirection::Out, 4096,
     "began"},
    {"kind changed", true, WriteCdb(1, false, 10000, 4096, 1), DataDirection::Out, 4096, "began"},
};

TEST(StickModel, RefusesAndRecordsMalformedWriteCommands) {
    for (const MalformedWrite& c : kMalformedWrites) {
        SCOPED_TRACE(c.name);
        Host host;
        std::vector<std::uint8_t> image = Pattern(10000, 1);
        if (c.afterFirstChunk) {
            ASSERT_EQ(host.chunk(image, 4096, 0).scsiStatus, kScsiGood);
        }
        std::vector<std::uint8_t> data(c.dataLength, 0x5A);
        const StickResponse r = host.send(c.cdb, c.direction, data, 42);

        EXPECT_TRUE(r.answered);
        EXPECT_EQ(r.scsiStatus, kScsiCheckCondition);
        EXPECT_EQ(r.senseKey, kSenseIllegalRequest);
        EXPECT_EQ(r.asc, kAscInvalidFieldInCdb);
        ASSERT_EQ(host.stick.violations().size(), 1u);
        const ProtocolViolation& v = host.stick.violations()[0];
        EXPECT_EQ(v.tMs, 42u);
        EXPECT_EQ(v.opcode, StickModel::kOpWriteImage);
        EXPECT_NE(v.what.find(c.mentions), std::string::npos) << v.what;
        // Nothing of the refused chunk was taken.
        const std::uint32_t received = c.afterFirstChunk ? 4096 : 0;
        const std::uint32_t stored =
            host.stick.images().empty() ? 0 : host.stick.images().back().received;
        EXPECT_EQ(stored, received);
    }
}

TEST(StickModel, ChecksTheFixedCommandsAndRefusesUnknownOpcodes) {
    struct Case {
        const char* name;
        Cdb cdb;
        DataDirection direction;
        std::uint32_t length;
        std::uint8_t asc;
    };
    const Case cases[] = {
        {"identify byte 5 set", WithByte(test::kIdentifyCdb, 5, 1), DataDirection::In, 4096,
         kAscInvalidFieldInCdb},
        {"identify data out", test::kIdentifyCdb, DataDirection::Out, 4096, kAscInvalidFieldInCdb},
        {"identify of 2048 bytes", test::kIdentifyCdb, DataDirection::In, 2048,
         kAscInvalidFieldInCdb},
        {"status byte 3 not 0Ch", WithByte(test::kStatusCdb, 3, 0x10), DataDirection::In, 12,
         kAscInvalidFieldInCdb},
        {"status of 8 bytes", test::kStatusCdb, DataDirection::In, 8, kAscInvalidFieldInCdb},
        {"READ(10)", Cdb{0x28}, DataDirection::In, 2048, kAscInvalidOpcode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Host host;
        std::vector<std::uint8_t> data(c.length);
        const StickResponse r = host.send(c.cdb, c.direction, data, 0);
        EXPECT_EQ(r.scsiStatus, kScsiCheckCondition);
        EXPECT_EQ(r.asc, c.asc);
        EXPECT_EQ(r.moved, 0u);
        EXPECT_EQ(host.stick.violations().size(), 1u);
    }
}

TEST(StickModel, AnswersIdentifyAsScripted) {
    struct Case {
        std::uint32_t length;
        bool fails;
        std::uint8_t status;
        std::uint32_t moved;
    };
    for (const Case c :
         {Case{36, false, kScsiGood, 36}, Case{0, false, kScsiGood, 0},
          Case{4096, false, kScsiGood, 4096}, Case{36, true, kScsiCheckCondition, 0}}) {
        SCOPED_TRACE(c.length);
        StickScript script;
        script.identifyLength = c.length;
        script.identifyFails = c.fails;
        Host host(script);
        std::vector<std::uint8_t> data(4096, 0xEE);
        const StickResponse r = host.send(test::kIdentifyCdb, DataDirection::In, data, 0, 1);
        EXPECT_EQ(r.scsiStatus, c.status);
        EXPECT_EQ(r.moved, c.moved);
        if (c.moved >= 16) {
            EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 16), "KORVALIN");
        }
        if (c.moved < data.size()) {
            EXPECT_EQ(data[c.moved], 0xEE) << "nothing written past the count";
        }
        EXPECT_TRUE(host.stick.violations().empty());
    }
}

TEST(StickModel, TurnsReplyTokensIntoStatusReplies) {
    struct Case {
        const char* name;
        Reply reply;
        bool answered;
        std::uint8_t status;
        std::uint32_t moved;
        bool magic;
        std::uint8_t state;
    };
    const Case cases[] = {
        {"idle", Reply::Idle(), true, kScsiGood, 12, true, 0},
        {"done", Reply::Done(), true, kScsiGood, 12, true, 1},
        {"busy", Reply::Busy(), true, kScsiGood, 12, true, 2},
        {"invalid", Reply::Invalid(), true, kScsiGood, 12, true, 3},
        {"error", Reply::Error(), true, kScsiGood, 12, true, 4},
        {"fail", Reply::Fail(), true, kScsiCheckCondition, 0, false, 0},
        {"gone", Reply::Gone(), false, kScsiGood, 0, false, 0},
        {"state 7 without magic", Reply{Reply::Kind::Status, 7, false, 12}, true, kScsiGood, 12,
         false, 7},
        {"8 bytes", Reply{Reply::Kind::Status, 1, true, 8}, true, kScsiGood, 8, true, 0},
        {"no bytes", Reply{Reply::Kind::Status, 1, true, 0}, true, kScsiGood, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StickScript script;
        script.images.push_back(ImageScript{});
        script.images[0].preCheck = c.reply;
        Host host(script);
        const StickResponse r = host.status();
        EXPECT_EQ(r.answered, c.answered);
        EXPECT_EQ(r.scsiStatus, c.status);
        EXPECT_EQ(r.moved, c.moved);
        if (c.moved > 0) {
            EXPECT_EQ(std::equal(kMagic, kMagic + 4, host.reply.begin()), c.magic);
        }
        if (c.moved == 12) {
            EXPECT_EQ(host.reply[8], c.state);
            EXPECT_EQ(host.reply[4], 0);
            EXPECT_EQ(host.reply[11], 0);
        } else {
            // Bytes past the reply stay as the host had them.
            EXPECT_EQ(host.reply[11], 0xEE);
        }
    }
}

std::uint8_t StateOf(Host& host, std::uint64_t t = 0) {
    const StickResponse r = host.status(t);
    EXPECT_TRUE(r.answered && r.scsiStatus == kScsiGood && r.moved == 12);
    return host.reply[8];
}

TEST(StickModel, AnswersPreCheckPollsAndCheckInTheirOrder) {
    ImageScript image;
    image.preCheck = Reply::Busy();
    image.polls[0] = {Reply::Busy(), Reply::Idle()};
    image.defaultPoll = Reply::State(9);
    image.check = {Reply::Busy(), Reply::Busy(), Reply::Invalid()};
    StickScript script;
    script.images = {image};
    Host host(script);
    std::vector<std::uint8_t> bytes = Pattern(10000, 0);

    EXPECT_EQ(StateOf(host), 2) << "pre-check";
    ASSERT_EQ(host.chunk(bytes, 4096, 0).scsiStatus, kScsiGood);
    EXPECT_EQ(StateOf(host), 2) << "first poll after chunk 0";
    EXPECT_EQ(StateOf(host), 0) << "second poll after chunk 0";
    EXPECT_EQ(StateOf(host), 9) << "polls after chunk 0 used up";
    ASSERT_EQ(host.chunk(bytes, 4096, 1).scsiStatus, kScsiGood);
    EXPECT_EQ(StateOf(host), 9) << "chunk 1 has no polls of its own";
    ASSERT_EQ(host.chunk(bytes, 4096, 2).scsiStatus, kScsiGood);
    EXPECT_EQ(StateOf(host), 2);
    EXPECT_EQ(StateOf(host), 2);
    EXPECT_EQ(StateOf(host), 3) << "the verdict";
    EXPECT_EQ(StateOf(host), 2) << "the next image's pre-check (the last script repeats)";
}

TEST(StickModel, EachImageFollowsItsOwnScriptAndTheLastRepeats) {
    StickScript script;
    script.images.resize(2);
    script.images[0].preCheck = Reply::State(10);
    script.images[0].check = {Reply::Error()};
    script.images[1].preCheck = Reply::State(11);
    script.images[1].check = {Reply::Invalid()};
    Host host(script);
    std::vector<std::uint8_t> bytes = Pattern(100, 0);
    for (const auto& [preCheck, verdict] : {std::pair{10, 4}, std::pair{11, 3}, std::pair{11, 3}}) {
        EXPECT_EQ(StateOf(host), preCheck);
        ASSERT_TRUE(host.sendImage(bytes, 4096));
        EXPECT_EQ(StateOf(host), verdict);
    }
    EXPECT_EQ(host.stick.images().size(), 3u);
}

TEST(StickModel, RebootsAfterSuccessForTheScriptedWindow) {
    ImageScript image;
    image.check = {Reply::Busy(), Reply::Done()};
    image.rebootDelayMs = 500;
    image.rebootMs = 15000;
    image.installsVersion = "4, 0, 1, 3";
    StickScript script;
    script.images = {image};
    Host host(script);
    std::vector<std::uint8_t> bytes = Pattern(100, 0);
    const StickConnection before = host.stick.connect(0);

    ASSERT_TRUE(host.sendImage(bytes, 4096, 0));
    EXPECT_EQ(StateOf(host, 800), 2);
    EXPECT_EQ(StateOf(host, 1000), 1); // the verdict: reboot from 1500 to 16500

    EXPECT_TRUE(host.stick.onBus(1499));
    EXPECT_TRUE(host.stick.alive(before, 1499));
    EXPECT_FALSE(host.stick.onBus(1500));
    EXPECT_FALSE(host.stick.alive(before, 1500));
    EXPECT_FALSE(host.status(2000).answered);
    EXPECT_FALSE(host.stick.onBus(16499));
    EXPECT_EQ(host.stick.installedVersion(16499), nullptr);

    EXPECT_TRUE(host.stick.onBus(16500));
    ASSERT_NE(host.stick.installedVersion(16500), nullptr);
    EXPECT_EQ(*host.stick.installedVersion(16500), "4, 0, 1, 3");
    EXPECT_FALSE(host.stick.alive(before, 20000)) << "a connection from before stays dead";
    EXPECT_TRUE(host.stick.alive(host.stick.connect(20000), 20000));
    EXPECT_EQ(StateOf(host, 20000), 0) << "back, awaiting the next image";
}

TEST(StickModel, RebootCases) {
    struct Case {
        const char* name;
        std::vector<Reply> check;
        std::int64_t rebootMs;
        bool offBusAfter; // at t = 1000 + 1
        bool backAtEnd;   // at t = 1000 + rebootMs
    };
    const Case cases[] = {
        {"a first answer that is none means the stick restarts",
         {Reply::Gone()},
         15000,
         true,
         true},
        {"a failing first answer likewise", {Reply::Fail()}, 15000, true, true},
        {"a first answer without magic likewise",
         {Reply{Reply::Kind::Status, 1, false, 12}},
         15000,
         true,
         true},
        {"never back", {Reply::Done()}, kNeverBack, true, false},
        {"a refusal is no reboot", {Reply::Invalid()}, 15000, false, true},
        {"nor an error", {Reply::Error()}, 15000, false, true},
        {"a later failed answer is none", {Reply::Busy(), Reply::Fail()}, 15000, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageScript image;
        image.check = c.check;
        image.rebootMs = c.rebootMs;
        StickScript script;
        script.images = {image};
        Host host(script);
        std::vector<std::uint8_t> bytes = Pattern(100, 0);
        ASSERT_TRUE(host.sendImage(bytes, 4096, 0));
        for (std::size_t i = 0; i < c.check.size(); ++i) {
            host.status(1000);
        }
        EXPECT_EQ(host.stick.onBus(1001), !c.offBusAfter);
        const std::uint64_t end =
            1000 + static_cast<std::uint64_t>(c.rebootMs < 0 ? 1'000'000'000 : c.rebootMs);
        EXPECT_EQ(host.stick.onBus(end), c.backAtEnd);
    }
}

TEST(StickModel, VanishesOrFailsAtTheScriptedChunk) {
    ImageScript vanishing;
    vanishing.vanishAtChunk = 1;
    vanishing.rebootMs = 5000;
    ImageScript failing;
    failing.failChunk = 1;
    for (const ImageScript& image : {vanishing, failing}) {
        StickScript script;
        script.images = {image};
        Host host(script);
        std::vector<std::uint8_t> bytes = Pattern(10000, 0);
        ASSERT_EQ(host.chunk(bytes, 4096, 0, 100).scsiStatus, kScsiGood);
        const StickResponse r = host.chunk(bytes, 4096, 1, 100);
        if (image.vanishAtChunk) {
            EXPECT_FALSE(r.answered);
            EXPECT_FALSE(host.stick.onBus(100));
            EXPECT_TRUE(host.stick.onBus(5100));
        } else {
            EXPECT_TRUE(r.answered);
            EXPECT_EQ(r.scsiStatus, kScsiCheckCondition);
            EXPECT_EQ(r.senseKey, kSenseHardwareError);
            EXPECT_TRUE(host.stick.onBus(100));
        }
        const ReceivedImage& received = host.stick.images().at(0);
        EXPECT_EQ(received.received, 4096u);
        EXPECT_FALSE(received.complete);
        EXPECT_TRUE(host.stick.violations().empty()) << "a scripted failure is no violation";
    }
}

TEST(StickModel, RecordsWhichImageEachAbsenceFollowsAndWhetherItInstalls) {
    ImageScript done;
    done.rebootMs = 1000;
    ImageScript vanishing;
    vanishing.vanishAtChunk = 1;
    vanishing.rebootMs = kNeverBack;
    ImageScript restarting;
    restarting.check = {Reply::Gone()};
    restarting.rebootMs = 3000;
    restarting.rebootDelayMs = 200;
    StickScript script;
    script.images = {done, restarting, vanishing};
    Host host(script);

    std::vector<std::uint8_t> bytes = Pattern(100, 0);
    ASSERT_TRUE(host.sendImage(bytes, 4096, 0));
    ASSERT_EQ(StateOf(host, 10), 1);
    ASSERT_TRUE(host.sendImage(bytes, 4096, 2000));
    EXPECT_FALSE(host.status(2100).answered);
    std::vector<std::uint8_t> large = Pattern(10000, 0);
    ASSERT_EQ(host.chunk(large, 4096, 0, 6000).scsiStatus, kScsiGood);
    EXPECT_FALSE(host.chunk(large, 4096, 1, 6000).answered);

    const std::vector<BusAbsence>& absences = host.stick.absences();
    ASSERT_EQ(absences.size(), 3u);
    EXPECT_EQ(absences[0].startMs, 10u);
    EXPECT_EQ(absences[0].endMs, 1010u);
    EXPECT_EQ(absences[0].image, 0u);
    EXPECT_TRUE(absences[0].installs);
    EXPECT_EQ(absences[1].startMs, 2300u);
    EXPECT_EQ(absences[1].endMs, 5300u);
    EXPECT_EQ(absences[1].image, 1u);
    EXPECT_FALSE(absences[1].installs) << "restarting on its own installs nothing";
    EXPECT_EQ(absences[2].startMs, 6000u);
    EXPECT_EQ(absences[2].endMs, UINT64_MAX);
    EXPECT_EQ(absences[2].image, 2u);
    EXPECT_FALSE(absences[2].installs);
}

TEST(StickModel, ReportsItsLatency) {
    StickScript script;
    script.latencyMs = 7;
    Host host(script);
    EXPECT_EQ(host.status().elapsedMs, 7u);
}

} // namespace
} // namespace sim
