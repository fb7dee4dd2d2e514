// Bulk-Only Transport on its own: the wrappers, the phases of a command, the short data-in rule,
// the refusal of a bad CBW and the class requests on ep0.

#include "bot_session.h"
#include "bot_wire.h"
#include "class_requests.h"

#include "vstick_test_support.h"

#include <gtest/gtest.h>

namespace vstick {
namespace {

using test::Bytes;
using test::CbwBytes;
using test::Exchange;
using test::MakeCdb;
using test::MemoryPipe;

TEST(BotWire, ParsesTheCbwAndRejectsAnyBrokenOne) {
    const test::Cdb cdb = MakeCdb({0x28, 0, 0, 0, 0, 16, 0, 0, 2, 0});
    const Bytes good = CbwBytes(0xA1B2C3D4, 4096, true, cdb, 10);
    const std::optional<Cbw> cbw = ParseCbw(good);
    ASSERT_TRUE(cbw);
    EXPECT_EQ(cbw->tag, 0xA1B2C3D4u);
    EXPECT_EQ(cbw->dataLength, 4096u);
    EXPECT_TRUE(cbw->dataIn);
    EXPECT_EQ(cbw->lun, 0);
    EXPECT_EQ(cbw->cbLength, 10);
    EXPECT_EQ(cbw->cb, cdb);
    EXPECT_FALSE(ParseCbw(CbwBytes(1, 0, false, cdb, 16))->dataIn);

    // Bytes past the command block length never reach the command.
    Bytes trailing = CbwBytes(7, 0, false, MakeCdb({0x00}), 6);
    trailing[15 + 6] = 0x5A;
    EXPECT_EQ(ParseCbw(trailing)->cb, MakeCdb({0x00}));

    struct Broken {
        const char* name;
        std::size_t at;
        std::uint8_t value;
    };
    const Broken broken[] = {
        {"signature", 0, 'u'},
        {"flags bit 0 reserved", 12, 0x81},
        {"LUN high bits reserved", 13, 0x10},
        {"no command block", 14, 0},
        {"command block of 17", 14, 17},
        {"length bits 5..7 reserved", 14, 0x2A},
    };
    for (const Broken& b : broken) {
        SCOPED_TRACE(b.name);
        Bytes bytes = good;
        bytes[b.at] = b.value;
        EXPECT_FALSE(ParseCbw(bytes));
    }
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ParseCbw(longer)) << "32 bytes";
    EXPECT_FALSE(ParseCbw(std::span(good).first(30))) << "30 bytes";
}

TEST(BotWire, BuildsTheCswLittleEndian) {
    const auto csw = MakeCsw(0x01020304, 0x00000A0B, CswStatus::PhaseError);
    const Bytes expected = {'U', 'S', 'B', 'S', 0x04, 0x03, 0x02, 0x01, 0x0B, 0x0A, 0, 0, 2};
    EXPECT_EQ(Bytes(csw.begin(), csw.end()), expected);
}

// Answers every command as told and records what it was handed.
class ScriptedTarget : public CommandTarget {
  public:
    CommandResult execute(const CommandBlock& command, std::span<std::uint8_t> data) override {
        cdbs.emplace_back(command.cdb.begin(), command.cdb.end());
        hostLength = command.hostLength;
        handed.assign(data.begin(), data.end());
        std::fill(data.begin(), data.end(), std::uint8_t{0xD7});
        return answer;
    }
    void finished() override { ++finishes; }

    CommandResult answer;
    std::vector<Bytes> cdbs;
    std::uint32_t hostLength = 0;
    Bytes handed;
    int finishes = 0;
};

struct Link {
    MemoryPipe pipe;
    ScriptedTarget target;
    BotSession session{pipe, target};

    Exchange run(bool dataIn, std::uint32_t hostLength, const Bytes& out = {}) {
        return test::Run(pipe, session, MakeCdb({0xE7, 1, 2}), dataIn, hostLength, out);
    }
};

TEST(BotSession, HandsDataOutToTheTargetAndReportsWhatItTook) {
    Link link;
    Bytes chunk(122880);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = static_cast<std::uint8_t>(i * 31);
    }
    link.target.answer = {true, CswStatus::Passed, 122880};
    const Exchange e = link.run(false, 122880, chunk);
    EXPECT_EQ(e.outcome, BotSession::Outcome::Completed);
    EXPECT_EQ(link.target.handed, chunk);
    const test::Cdb sentCdb = MakeCdb({0xE7, 1, 2});
    EXPECT_EQ(link.target.cdbs.at(0), Bytes(sentCdb.begin(), sentCdb.end()));
    EXPECT_TRUE(e.data.empty());
    EXPECT_TRUE(test::CswIs(e, 0, 0));
    EXPECT_EQ(link.target.finishes, 1);

    link.target.answer = {true, CswStatus::Failed, 0};
    EXPECT_TRUE(test::CswIs(link.run(false, 512, Bytes(512, 1)), 1, 512));
    EXPECT_TRUE(link.pipe.fromHost.empty()) << "the whole data phase was taken";
}

TEST(BotSession, EndsAShortDataInSoThatTheHostStopsWaiting) {
    struct Case {
        std::uint32_t hostLength;
        std::uint32_t moved;
        std::size_t packet;
        bool zeroLengthPacket;
    };
    const Case cases[] = {
        {4096, 4096, 512, false},                        // all the host asked for
        {4096, 36, 512, false},                          // a short packet ends it
        {4096, 1024, 512, true},                         // ends on a packet boundary
        {4096, 64, 64, true},                            // full speed: 64-byte packets
        {4096, 64, 512, false},                          // high speed: 64 bytes is a short packet
        {4096, 0, 512, true},                            // nothing at all
        {12, 0, 64, true},        {36, 100, 512, false}, // more than the host asked for is cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.moved << " of " << c.hostLength << " at " << c.packet);
        Link link;
        link.pipe.packetSize = c.packet;
        link.target.answer = {true, CswStatus::Passed, c.moved};
        const Exchange e = link.run(true, c.hostLength);
        const std::uint32_t sent = std::min(c.moved, c.hostLength);
        EXPECT_EQ(e.data, Bytes(sent, 0xD7));
        EXPECT_EQ(e.zeroLengthPacket, c.zeroLengthPacket);
        EXPECT_TRUE(test::CswIs(e, 0, c.hostLength - sent));
        EXPECT_EQ(link.target.hostLength, c.hostLength);
        EXPECT_EQ(link.target.handed, Bytes(c.hostLength, 0))
            << "a clean buffer of the host's length";
    }
}

TEST(BotSession, SendsNothingForACommandThatNeverComesBack) {
    Link link;
    link.target.answer = {false, CswStatus::Passed, 12};
    const Exchange e = link.run(true, 12);
    EXPECT_EQ(e.outcome, BotSession::Outcome::Held);
    EXPECT_TRUE(link.pipe.toHost.empty());
    EXPECT_EQ(link.target.finishes, 1);

    link.target.answer = {true, CswStatus::Passed, 12};
    EXPECT_TRUE(test::CswIs(link.run(true, 12), 0, 0)) << "the next command is served";
}

TEST(BotSession, HaltsBothEndpointsOnABadCbwUntilTheHostResets) {
    Link link;
    link.target.answer = {true, CswStatus::Passed, 0};
    Bytes bad = CbwBytes(9, 0, false, MakeCdb({0}));
    bad[0] = 'X';
    link.pipe.fromHost.push_back(bad);
    EXPECT_EQ(link.session.serveOne(), BotSession::Outcome::Refused);
    EXPECT_EQ(link.pipe.inHalts, 1);
    EXPECT_EQ(link.pipe.outHalts, 1);
    EXPECT_TRUE(link.session.awaitingReset());

    const Exchange ignored = link.run(false, 0);
    EXPECT_EQ(ignored.outcome, BotSession::Outcome::Refused) << "a good CBW before the reset";
    EXPECT_FALSE(ignored.csw);
    EXPECT_TRUE(link.target.cdbs.empty());
    EXPECT_EQ(link.pipe.inHalts, 2);

    const ControlAnswer reset = AnswerClassRequest({0x21, 0xFF, 0, 0, 0}, link.session);
    EXPECT_EQ(reset.kind, ControlAnswer::Kind::Acknowledge);
    EXPECT_FALSE(link.session.awaitingReset());
    EXPECT_TRUE(test::CswIs(link.run(false, 0), 0, 0));
    EXPECT_EQ(link.target.cdbs.size(), 1u);
}

TEST(BotSession, GivesUpACommandWhoseEndpointFails) {
    Link link;
    EXPECT_EQ(link.session.serveOne(), BotSession::Outcome::Lost) << "nothing from the host";

    link.target.answer = {true, CswStatus::Passed, 8};
    link.pipe.failSends = true;
    EXPECT_EQ(link.run(true, 8).outcome, BotSession::Outcome::Lost);
    EXPECT_EQ(link.target.finishes, 1) << "the target still learns the command is over";

    // Data-out cut short by a disconnect: the command never reaches the target.
    link.pipe.failSends = false;
    link.pipe.fromHost.push_back(CbwBytes(3, 4096, false, MakeCdb({0xF0})));
    EXPECT_EQ(link.session.serveOne(), BotSession::Outcome::Lost);
    EXPECT_EQ(link.target.cdbs.size(), 1u);
}

TEST(ClassRequests, AnswerGetMaxLunAndResetAndStallTheRest) {
    MemoryPipe pipe;
    struct Case {
        const char* name;
        SetupPacket setup;
        ControlAnswer::Kind kind;
        Bytes data;
    };
    const Case cases[] = {
        {"Get Max LUN", {0xA1, 0xFE, 0, 0, 1}, ControlAnswer::Kind::Data, {0}},
        {"Reset", {0x21, 0xFF, 0, 0, 0}, ControlAnswer::Kind::Acknowledge, {}},
        {"Get Max LUN for another interface",
         {0xA1, 0xFE, 0, 1, 1},
         ControlAnswer::Kind::Stall,
         {}},
        {"Get Max LUN of two bytes", {0xA1, 0xFE, 0, 0, 2}, ControlAnswer::Kind::Stall, {}},
        {"Reset with data", {0x21, 0xFF, 0, 0, 4}, ControlAnswer::Kind::Stall, {}},
        {"Reset the wrong way", {0xA1, 0xFF, 0, 0, 0}, ControlAnswer::Kind::Stall, {}},
        {"Reset with a value", {0x21, 0xFF, 1, 0, 0}, ControlAnswer::Kind::Stall, {}},
        {"a vendor request", {0xC1, 0x01, 0, 0, 4}, ControlAnswer::Kind::Stall, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedTarget target;
        BotSession session(pipe, target);
        // A session waiting for a reset shows whether the request reset it.
        pipe.fromHost.push_back(Bytes(5, 0));
        ASSERT_EQ(session.serveOne(), BotSession::Outcome::Refused);
        const ControlAnswer answer = AnswerClassRequest(c.setup, session);
        EXPECT_EQ(answer.kind, c.kind);
        EXPECT_EQ(answer.data, c.data);
        EXPECT_EQ(session.awaitingReset(), c.kind != ControlAnswer::Kind::Acknowledge);
    }
}

} // namespace
} // namespace vstick
