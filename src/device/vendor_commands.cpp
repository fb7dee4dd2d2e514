#include "device/vendor_commands.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kIdentifyCdb[platform::kCdbLength] = {OP_IDENTIFY, 0x02, 0x10, 0x00, 0x01};
constexpr std::uint8_t kGetStatusCdb[platform::kCdbLength] = {OP_GET_STATUS, 0x00, 0x00, 0x0C};

// The fields every request carries; the block is cleared first.
void FillRequest(platform::PassThroughRequest& request, SptiContext& context, std::uint8_t dataIn,
                 std::uint32_t length, std::uint32_t timeout) {
    std::memset(&request, 0, sizeof request);
    request.Length = platform::kPassThroughDirectLength;
    request.PathId = 0;
    request.TargetId = 1;
    request.Lun = 0;
    request.CdbLength = platform::kCdbLength;
    request.SenseInfoLength = platform::kSenseLength;
    request.DataIn = dataIn;
    request.DataTransferLength = length;
    request.TimeOutValue = timeout;
    request.DataBuffer = context.m_pBuffer;
    request.SenseInfoOffset = platform::kSenseInfoOffset;
}

// Submits a data-in command and copies what came back, never more than was asked for.
std::int32_t ReadCommand(SptiContext& context, const std::uint8_t (&cdb)[platform::kCdbLength],
                         std::span<std::uint8_t> destination, std::uint32_t timeout) {
    platform::PassThroughRequest request;
    const auto length = static_cast<std::uint32_t>(destination.size());
    FillRequest(request, context, platform::kScsiDataIn, length, timeout);
    std::memcpy(request.Cdb, cdb, sizeof request.Cdb);
    if (!SubmitRequest(context, request)) {
        return -1;
    }
    const std::uint32_t moved = std::min(request.DataTransferLength, length);
    std::memcpy(destination.data(), context.m_pBuffer, moved);
    return static_cast<std::int32_t>(moved);
}

void PutBigEndian(std::uint8_t* field, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        field[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
    }
}

} // namespace

bool HasStatusMagic(const StatusReply& reply) {
    return std::memcmp(reply.bytes, STATUS_MAGIC, sizeof STATUS_MAGIC) == 0;
}

bool IsValidStatus(std::int32_t count, const StatusReply& reply) {
    return count > static_cast<std::int32_t>(kStatusStateOffset) && HasStatusMagic(reply);
}

bool SubmitRequest(SptiContext& context, platform::PassThroughRequest& request) {
    if (context.m_hDevice == platform::DeviceHandle::None) {
        return false;
    }
    return context.m_storage.passThrough(context.m_hDevice, request) && request.ScsiStatus == 0;
}

std::int32_t SendIdentify(SptiContext& context,
                          std::span<std::uint8_t, kIdentifyLength> destination) {
    return ReadCommand(context, kIdentifyCdb, destination, kIdentifyTimeout);
}

std::int32_t SendGetStatus(SptiContext& context, StatusReply& destination, std::uint32_t timeout) {
    return ReadCommand(context, kGetStatusCdb, destination.bytes, timeout);
}

void PrepareWriteRequest(platform::PassThroughRequest& request, SptiContext& context,
                         ImageKind kind, std::uint32_t imageLength) {
    FillRequest(request, context, platform::kScsiDataOut, 0, kWriteTimeout);
    request.Cdb[0] = OP_WRITE_IMAGE;
    request.Cdb[1] = static_cast<std::uint8_t>(kind);
    PutBigEndian(&request.Cdb[4], imageLength, 4);
}

void SetWriteChunk(platform::PassThroughRequest& request, std::uint32_t chunkLength,
                   std::uint32_t chunkNumber, bool lastChunk) {
    request.DataTransferLength = chunkLength;
    PutBigEndian(&request.Cdb[8], chunkLength, 3);
    PutBigEndian(&request.Cdb[12], chunkNumber & 0xFFFF, 2);
    if (lastChunk) {
        request.Cdb[2] = 1;
    }
}
