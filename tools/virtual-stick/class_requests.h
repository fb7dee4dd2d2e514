#pragma once
// The two class requests of Bulk-Only Transport on the control endpoint: Get Max LUN and
// Bulk-Only Mass Storage Reset. Everything else addressed to the stick's interface is stalled.

#include <cstdint>
#include <vector>

namespace vstick {

class BotSession;

struct SetupPacket {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0; // FunctionFS gives the interface number as the function counts it
    std::uint16_t length = 0;

    bool deviceToHost() const { return (requestType & 0x80) != 0; }
};

struct ControlAnswer {
    enum class Kind { Stall, Data, Acknowledge };
    Kind kind = Kind::Stall;
    std::vector<std::uint8_t> data; // for Data
};

inline constexpr std::uint8_t kRequestGetMaxLun = 0xFE;
inline constexpr std::uint8_t kRequestMassStorageReset = 0xFF;

// A reset also resets `session`.
ControlAnswer AnswerClassRequest(const SetupPacket& setup, BotSession& session);

} // namespace vstick
