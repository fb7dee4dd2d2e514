#pragma once
// Building vendor commands and pass-through requests for the simulator's tests.

#include "platform/pass_through_request.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace sim::test {

using Cdb = std::array<std::uint8_t, 16>;

inline constexpr Cdb kIdentifyCdb = {0xE7, 0x02, 0x10, 0x00, 0x01};
inline constexpr Cdb kStatusCdb = {0xEF, 0x00, 0x00, 0x0C};

inline Cdb WriteCdb(std::uint8_t kind, bool last, std::uint32_t total, std::uint32_t length,
                    std::uint32_t chunk) {
    Cdb cdb{};
    cdb[0] = 0xF0;
    cdb[1] = kind;
    cdb[2] = last ? 1 : 0;
    for (int i = 0; i < 4; ++i) {
        cdb[4 + i] = static_cast<std::uint8_t>(total >> (24 - 8 * i));
    }
    for (int i = 0; i < 3; ++i) {
        cdb[8 + i] = static_cast<std::uint8_t>(length >> (16 - 8 * i));
    }
    cdb[12] = static_cast<std::uint8_t>(chunk >> 8);
    cdb[13] = static_cast<std::uint8_t>(chunk);
    return cdb;
}

// A request block filled as the tool fills it.
inline platform::PassThroughRequest Request(const Cdb& cdb, std::uint8_t dataIn, void* buffer,
                                            std::uint32_t length, std::uint32_t timeout) {
    platform::PassThroughRequest request;
    std::memset(&request, 0, sizeof request);
    request.Length = platform::kPassThroughDirectLength;
    request.TargetId = 1;
    request.CdbLength = platform::kCdbLength;
    request.SenseInfoLength = platform::kSenseLength;
    request.DataIn = dataIn;
    request.DataTransferLength = length;
    request.TimeOutValue = timeout;
    request.DataBuffer = buffer;
    request.SenseInfoOffset = platform::kSenseInfoOffset;
    std::memcpy(request.Cdb, cdb.data(), cdb.size());
    return request;
}

} // namespace sim::test
