// A request block turned into an SG_IO command, and the driver's answer written back.

#include "platform/linux/sg_exchange.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace platform::linux_backend;
using platform::PassThroughRequest;

PassThroughRequest Request(std::uint8_t dataIn, std::uint32_t length, std::uint32_t seconds,
                           void* buffer) {
    PassThroughRequest request;
    std::memset(&request, 0, sizeof request);
    request.Length = platform::kPassThroughDirectLength;
    request.CdbLength = platform::kCdbLength;
    request.SenseInfoLength = platform::kSenseLength;
    request.DataIn = dataIn;
    request.DataTransferLength = length;
    request.TimeOutValue = seconds;
    request.DataBuffer = buffer;
    request.SenseInfoOffset = platform::kSenseInfoOffset;
    request.Cdb[0] = 0xF0;
    return request;
}

TEST(SgCommand, FromTheRequestBlock) {
    std::uint8_t buffer[16];
    struct Case {
        std::uint8_t dataIn;
        std::uint32_t length;
        void* data;
        std::uint32_t seconds;
        SgDirection direction;
        std::uint32_t timeoutMs;
    };
    const Case cases[] = {
        {platform::kScsiDataIn, 12, buffer, 3, SgDirection::FromDevice, 3000},
        {platform::kScsiDataOut, 16, buffer, 5, SgDirection::ToDevice, 5000},
        {platform::kScsiDataOut, 0, buffer, 1, SgDirection::None, 1000},
        {platform::kScsiDataIn, 12, nullptr, 1, SgDirection::None, 1000},
        // seconds beyond what milliseconds hold in 32 bits
        {platform::kScsiDataIn, 12, buffer, 0xFFFFFFFFu, SgDirection::FromDevice, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        PassThroughRequest request = Request(c.dataIn, c.length, c.seconds, c.data);
        const SgCommand command = CommandOf(request);
        EXPECT_EQ(command.direction, c.direction) << c.length;
        EXPECT_EQ(command.timeoutMs, c.timeoutMs);
        EXPECT_EQ(command.length, c.direction == SgDirection::None ? 0 : c.length);
        EXPECT_EQ(command.cdb, request.Cdb);
        EXPECT_EQ(command.cdbLength, 16);
        EXPECT_EQ(command.sense, request.Sense);
        EXPECT_EQ(command.senseLength, 32);
    }
}

TEST(SgCompletion, WrittenBackIntoTheBlock) {
    struct Case {
        const char* name;
        SgCompletion completion;
        bool cameBack;
        std::uint8_t scsiStatus;
        std::uint32_t moved;
    };
    const Case cases[] = {
        {"all clear", {true, 0, 0, 0, 0, 0}, true, 0, 4096},
        {"short read", {true, 0, 0, 0, 0, 4060}, true, 0, 36},
        {"check condition with sense", {true, 0, 2, 0, 0x08, 4096}, true, 2, 0},
        {"busy", {true, 0, 8, 0, 0, 0}, true, 8, 4096},
        {"ioctl failed", {false, 5, 0, 0, 0, 0}, false, 0, 0},
        {"host: no connection", {true, 0, 0, 1, 0, 0}, false, 0, 0},
        {"host: timed out", {true, 0, 0, 3, 0, 0}, false, 0, 0},
        {"driver error beside a good status", {true, 0, 0, 0, 0x06, 0}, false, 0, 0},
        {"residual beyond the length", {true, 0, 0, 0, 0, 9000}, true, 0, 0},
        {"negative residual", {true, 0, 0, 0, 0, -5}, true, 0, 4096},
    };
    for (const Case& c : cases) {
        std::uint8_t buffer[4096];
        PassThroughRequest request = Request(platform::kScsiDataIn, 4096, 1, buffer);
        request.ScsiStatus = 0x77; // stays when nothing came back
        EXPECT_EQ(ApplyCompletion(c.completion, request), c.cameBack) << c.name;
        if (c.cameBack) {
            EXPECT_EQ(request.ScsiStatus, c.scsiStatus) << c.name;
            EXPECT_EQ(request.DataTransferLength, c.moved) << c.name;
        } else {
            EXPECT_EQ(request.ScsiStatus, 0x77) << c.name;
            EXPECT_EQ(request.DataTransferLength, 4096u) << c.name;
        }
    }
}

} // namespace
