#include "class_requests.h"

#include "bot_session.h"

namespace vstick {

namespace {

constexpr std::uint8_t kClassToInterfaceOut = 0x21; // host to device, class, interface
constexpr std::uint8_t kClassToInterfaceIn = 0xA1;  // device to host, class, interface

} // namespace

ControlAnswer AnswerClassRequest(const SetupPacket& setup, BotSession& session) {
    // One interface, number 0; one logical unit, number 0.
    if (setup.index != 0 || setup.value != 0) {
        return {};
    }
    if (setup.requestType == kClassToInterfaceIn && setup.request == kRequestGetMaxLun &&
        setup.length == 1) {
        return {ControlAnswer::Kind::Data, {0}};
    }
    if (setup.requestType == kClassToInterfaceOut && setup.request == kRequestMassStorageReset &&
        setup.length == 0) {
        session.reset();
        return {ControlAnswer::Kind::Acknowledge, {}};
    }
    return {};
}

} // namespace vstick
