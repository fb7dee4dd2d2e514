// The stick's CD-ROM drive as the kernel probes and reads it, from CBW to CSW.

#include "cdrom_target.h"

#include "vstick_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vstick {
namespace {

using test::Bytes;
using test::Exchange;
using test::MakeCdb;
using test::Rig;

constexpr std::uint32_t kSectors = 40; // the rig's volume

Bytes Text(const char* text) {
    return Bytes(text, text + std::strlen(text));
}

struct Expected {
    std::size_t at;
    Bytes bytes;
};

struct CommandCase {
    const char* name;
    test::Cdb cdb;
    std::uint32_t hostLength;
    std::uint8_t status;      // of the CSW
    std::uint32_t moved;      // data-in bytes
    std::vector<Expected> at; // bytes of the reply at their offsets
    std::uint8_t senseKey = 0;
    std::uint8_t asc = 0;
};

const CommandCase kCommands[] = {
    {"INQUIRY",
     MakeCdb({0x12, 0, 0, 0, 36}),
     36,
     0,
     36,
     {{0, {0x05, 0x80, 0x00, 0x02, 31}},
      {8, Text("KORVALIN")},
      {16, Text("QX-LM704        ")},
      {32, Text("1.00")}}},
    {"INQUIRY with more room", MakeCdb({0x12, 0, 0, 0, 255}), 255, 0, 36, {{8, Text("KORVALIN")}}},
    {"INQUIRY cut at its allocation length", MakeCdb({0x12, 0, 0, 0, 5}), 5, 0, 5, {}},
    {"INQUIRY page 00h",
     MakeCdb({0x12, 1, 0x00, 0, 255}),
     255,
     0,
     6,
     {{0, {0x05, 0x00, 0x00, 2, 0x00, 0x80}}}},
    {"INQUIRY page 80h",
     MakeCdb({0x12, 1, 0x80, 0, 255}),
     255,
     0,
     16,
     {{0, {0x05, 0x80, 0x00, 12}}, {4, Text("KV0704000001")}}},
    {"INQUIRY page 83h", MakeCdb({0x12, 1, 0x83, 0, 255}), 255, 1, 0, {}, 0x05, 0x24},
    {"INQUIRY page without EVPD", MakeCdb({0x12, 0, 0x80, 0, 255}), 255, 1, 0, {}, 0x05, 0x24},
    {"TEST UNIT READY", MakeCdb({0x00}), 0, 0, 0, {}},
    {"PREVENT ALLOW MEDIUM REMOVAL", MakeCdb({0x1E, 0, 0, 0, 1}), 0, 0, 0, {}},
    {"START STOP UNIT", MakeCdb({0x1B, 0, 0, 0, 2}), 0, 0, 0, {}},
    {"SET CD SPEED", MakeCdb({0xBB, 0, 0xFF, 0xFF}), 0, 0, 0, {}},
    {"READ CAPACITY", MakeCdb({0x25}), 8, 0, 8, {{0, {0, 0, 0, kSectors - 1, 0, 0, 0x08, 0}}}},
    {"READ TOC format 0",
     MakeCdb({0x43, 0, 0, 0, 0, 0, 0, 0, 12}),
     12,
     0,
     12,
     {{0, {0, 18, 1, 1, 0, 0x14, 1, 0, 0, 0, 0, 0}}}},
    {"READ TOC format 0, whole",
     MakeCdb({0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24}),
     0x324,
     0,
     20,
     {{12, {0, 0x14, 0xAA, 0, 0, 0, 0, kSectors}}}},
    {"READ TOC format 0 in MSF",
     MakeCdb({0x43, 0x02, 0, 0, 0, 0, 0, 0, 20}),
     20,
     0,
     20,
     // 00:02:00 and, 40 + 150 frames on, 00:02:40.
     {{4, {0, 0x14, 1, 0, 0, 0, 2, 0}}, {12, {0, 0x14, 0xAA, 0, 0, 0, 2, 40}}}},
    {"READ TOC lead-out only",
     MakeCdb({0x43, 0, 0, 0, 0, 0, 0xAA, 0, 20}),
     20,
     0,
     12,
     {{0, {0, 10, 1, 1, 0, 0x14, 0xAA, 0, 0, 0, 0, kSectors}}}},
    {"READ TOC of track 2", MakeCdb({0x43, 0, 0, 0, 0, 0, 2, 0, 20}), 20, 1, 0, {}, 0x05, 0x24},
    {"READ TOC format 1",
     MakeCdb({0x43, 0, 1, 0, 0, 0, 0, 0, 12}),
     12,
     0,
     12,
     {{0, {0, 10, 1, 1, 0, 0x14, 1, 0, 0, 0, 0, 0}}}},
    {"READ TOC format 1 in the control byte",
     MakeCdb({0x43, 0, 0, 0, 0, 0, 0, 0, 12, 0x40}),
     12,
     0,
     12,
     {{0, {0, 10, 1, 1}}}},
    {"READ TOC format 2", MakeCdb({0x43, 0, 2, 0, 0, 0, 0, 0, 12}), 12, 1, 0, {}, 0x05, 0x24},
    {"MODE SENSE(10) capabilities",
     MakeCdb({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 128}),
     128,
     0,
     28,
     {{0, {0, 26, 0, 0, 0, 0, 0, 0, 0x2A, 18}}, {14, {0x29}}}},
    {"MODE SENSE(6) all pages",
     MakeCdb({0x1A, 0, 0x3F, 0, 255}),
     255,
     0,
     24,
     {{0, {23, 0, 0, 0, 0x2A, 18}}}},
    {"MODE SENSE(10) saved values",
     MakeCdb({0x5A, 0, 0xEA, 0, 0, 0, 0, 0, 128}),
     128,
     1,
     0,
     {},
     0x05,
     0x39},
    {"MODE SENSE(10) caching page",
     MakeCdb({0x5A, 0, 0x08, 0, 0, 0, 0, 0, 128}),
     128,
     1,
     0,
     {},
     0x05,
     0x24},
    {"GET CONFIGURATION",
     MakeCdb({0x46, 0, 0, 0, 0, 0, 0, 0, 255}),
     255,
     0,
     16,
     {{0, {0, 0, 0, 12, 0, 0, 0x00, 0x08, 0, 0, 0x03, 4, 0x00, 0x08, 0x01, 0}}}},
    {"GET CONFIGURATION from feature 1",
     MakeCdb({0x46, 2, 0, 1, 0, 0, 0, 0, 255}),
     255,
     0,
     8,
     {{0, {0, 0, 0, 4, 0, 0, 0x00, 0x08}}}},
    {"GET EVENT STATUS NOTIFICATION, media",
     MakeCdb({0x4A, 1, 0, 0, 0x10, 0, 0, 0, 8}),
     8,
     0,
     8,
     {{0, {0, 6, 0x04, 0x10, 0x00, 0x02, 0, 0}}}},
    {"GET EVENT STATUS NOTIFICATION, other classes",
     MakeCdb({0x4A, 1, 0, 0, 0x02, 0, 0, 0, 8}),
     8,
     0,
     4,
     {{0, {0, 2, 0x80, 0x10}}}},
    {"GET EVENT STATUS NOTIFICATION, asynchronous",
     MakeCdb({0x4A, 0, 0, 0, 0x10, 0, 0, 0, 8}),
     8,
     1,
     0,
     {},
     0x05,
     0x24},
    {"READ DISC INFORMATION", MakeCdb({0x51, 0, 0, 0, 0, 0, 0, 0, 34}), 34, 1, 0, {}, 0x05, 0x20},
    {"an unknown opcode", MakeCdb({0xA3}), 0, 1, 0, {}, 0x05, 0x20},
    {"WRITE(10)", MakeCdb({0x2A, 0, 0, 0, 0, 0, 0, 0, 1}), 0, 1, 0, {}, 0x05, 0x20},
};

TEST(CdromCommands, AnswerAsAReadOnlyCdromDrive) {
    for (const CommandCase& c : kCommands) {
        SCOPED_TRACE(c.name);
        Rig rig;
        const Exchange e = rig.run(c.cdb, true, c.hostLength);
        ASSERT_EQ(e.outcome, BotSession::Outcome::Completed);
        EXPECT_TRUE(test::CswIs(e, c.status, c.hostLength - c.moved));
        ASSERT_EQ(e.data.size(), c.moved);
        for (const Expected& expected : c.at) {
            ASSERT_LE(expected.at + expected.bytes.size(), e.data.size());
            EXPECT_EQ(Bytes(e.data.begin() + expected.at,
                            e.data.begin() + expected.at + expected.bytes.size()),
                      expected.bytes)
                << "at " << expected.at;
        }
        EXPECT_EQ(rig.sense(), std::make_pair(c.senseKey, c.asc));
    }
}

TEST(CdromCommands, ReadTheRequestedSectors) {
    struct Case {
        const char* name;
        test::Cdb cdb;
        std::uint32_t lba;
        std::uint32_t count;
    };
    const Case cases[] = {
        {"READ(10) of the volume descriptor", MakeCdb({0x28, 0, 0, 0, 0, 16, 0, 0, 1}), 16, 1},
        {"READ(10) of three", MakeCdb({0x28, 0, 0, 0, 0, 5, 0, 0, 3}), 5, 3},
        {"READ(10) of the last", MakeCdb({0x28, 0, 0, 0, 0, kSectors - 1, 0, 0, 1}), kSectors - 1,
         1},
        {"READ(12)", MakeCdb({0xA8, 0, 0, 0, 0, 20, 0, 0, 0, 2}), 20, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        const std::uint32_t length = c.count * 2048;
        const Exchange e = rig.run(c.cdb, true, length);
        EXPECT_TRUE(test::CswIs(e, 0, 0));
        const Bytes expected(rig.volume.begin() + c.lba * 2048,
                             rig.volume.begin() + c.lba * 2048 + length);
        EXPECT_EQ(e.data, expected);
    }
}

TEST(CdromCommands, RefuseReadsPastTheDiscAndKeepTheSenseForOneRequest) {
    struct Case {
        const char* name;
        test::Cdb cdb;
    };
    const Case cases[] = {
        {"READ(10) one past the end", MakeCdb({0x28, 0, 0, 0, 0, kSectors, 0, 0, 1})},
        {"READ(10) running over the end", MakeCdb({0x28, 0, 0, 0, 0, kSectors - 1, 0, 0, 2})},
        {"READ(10) at the top LBA", MakeCdb({0x28, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1})},
        {"READ(12) of too many", MakeCdb({0xA8, 0, 0, 0, 0, 0, 0, 0, 0, kSectors + 1})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        const Exchange e = rig.run(c.cdb, true, 4096);
        EXPECT_TRUE(test::CswIs(e, 1, 4096));
        EXPECT_TRUE(e.data.empty());
        EXPECT_TRUE(e.zeroLengthPacket);
        EXPECT_EQ(rig.sense(), std::make_pair(std::uint8_t{0x05}, std::uint8_t{0x21}));
        EXPECT_EQ(rig.sense(), std::make_pair(std::uint8_t{0}, std::uint8_t{0})) << "cleared";
    }
}

TEST(CdromCommands, ForgetTheSenseOfAFailedCommandAtTheNextCommand) {
    Rig rig;
    EXPECT_TRUE(test::CswIs(rig.run(MakeCdb({0xA3}), true, 0), 1, 0));
    EXPECT_TRUE(test::CswIs(rig.run(MakeCdb({0x00}), true, 0), 0, 0));
    EXPECT_EQ(rig.sense(), std::make_pair(std::uint8_t{0}, std::uint8_t{0}));
}

TEST(CdromCommands, ReportAPhaseErrorWhenTheHostsDirectionOrRoomIsWrong) {
    Rig rig;
    const Exchange out = rig.run(MakeCdb({0x12, 0, 0, 0, 36}), false, 36, Bytes(36, 0));
    EXPECT_TRUE(test::CswIs(out, 2, 36)) << "INQUIRY with data-out";

    const Exchange small = rig.run(MakeCdb({0x28, 0, 0, 0, 0, 0, 0, 0, 2}), true, 2048);
    EXPECT_TRUE(test::CswIs(small, 2, 0)) << "two sectors into the room of one";
    EXPECT_EQ(small.data, Bytes(rig.volume.begin(), rig.volume.begin() + 2048));
}

TEST(CdromCommands, RefuseAnyLogicalUnitButZero) {
    Rig rig;
    rig.pipe.fromHost.push_back(test::CbwBytes(77, 36, true, MakeCdb({0x12, 0, 0, 0, 36}), 6, 1));
    ASSERT_EQ(rig.session.serveOne(), BotSession::Outcome::Completed);
    const Bytes& csw = rig.pipe.toHost.back();
    ASSERT_EQ(csw.size(), 13u);
    EXPECT_EQ(csw[12], 1);
    EXPECT_EQ(rig.sense(), std::make_pair(std::uint8_t{0x05}, std::uint8_t{0x25}));
}

} // namespace
} // namespace vstick
