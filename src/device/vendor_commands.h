#pragma once
// The stick's vendor SCSI commands: their CDBs, the status reply, and the submission of a
// request on an open SptiContext. The caller holds the context's lock.

#include "device/spti_context.h"
#include "platform/pass_through_request.h"

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::uint8_t OP_IDENTIFY = 0xE7;
inline constexpr std::uint8_t OP_GET_STATUS = 0xEF;
inline constexpr std::uint8_t OP_WRITE_IMAGE = 0xF0;

inline constexpr std::uint32_t kIdentifyLength = 4096;
inline constexpr std::uint32_t kIdentifyTimeout = 1;
inline constexpr std::uint32_t kWriteTimeout = 5;

enum ImageKind : std::uint32_t { IMAGE_KERNEL = 1, IMAGE_ISO = 2 };

// The 12 bytes of an OP_GET_STATUS reply.
inline constexpr std::size_t kStatusReplyLength = 12;
inline constexpr std::size_t kStatusStateOffset = 8;
inline constexpr std::uint8_t STATUS_MAGIC[4] = {0xAB, 0xC0, 0x52, 0x07};

struct StatusReply {
    std::uint8_t bytes[kStatusReplyLength] = {};
};

enum StickState : std::uint8_t {
    STATE_DONE = 1,
    STATE_BUSY = 2,
    STATE_INVALID_FIRMWARE = 3,
    STATE_UPDATE_ERROR = 4,
};

bool HasStatusMagic(const StatusReply& reply);
// A reply carries the stick's state only when it opens with the magic and reaches the state
// byte; a shorter reply counts as no valid answer.
bool IsValidStatus(std::int32_t count, const StatusReply& reply);
inline std::uint8_t StatusState(const StatusReply& reply) {
    return reply.bytes[kStatusStateOffset];
}

// Hands the request to the pass-through; true when it came back with SCSI status 0.
bool SubmitRequest(SptiContext& context, platform::PassThroughRequest& request);

// Bytes returned (0 to 4096) copied into `destination`, or -1.
std::int32_t SendIdentify(SptiContext& context,
                          std::span<std::uint8_t, kIdentifyLength> destination);
// Bytes returned (0 to 12) copied into `destination`, or -1; the rest of it stays as it was.
std::int32_t SendGetStatus(SptiContext& context, StatusReply& destination, std::uint32_t timeout);

// The write command of one image, built once and rewritten per chunk.
void PrepareWriteRequest(platform::PassThroughRequest& request, SptiContext& context,
                         ImageKind kind, std::uint32_t imageLength);
void SetWriteChunk(platform::PassThroughRequest& request, std::uint32_t chunkLength,
                   std::uint32_t chunkNumber, bool lastChunk);
