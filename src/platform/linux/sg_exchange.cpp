#include "platform/linux/sg_exchange.h"

#include <algorithm>
#include <limits>

namespace platform::linux_backend {

SgCommand CommandOf(PassThroughRequest& request) {
    SgCommand command;
    command.cdb = request.Cdb;
    command.cdbLength =
        static_cast<std::uint8_t>(std::min<std::size_t>(request.CdbLength, kCdbLength));
    command.length = request.DataTransferLength;
    command.data = command.length != 0 ? request.DataBuffer : nullptr;
    if (command.length == 0 || command.data == nullptr) {
        command.direction = SgDirection::None;
        command.length = 0;
    } else {
        command.direction =
            request.DataIn == kScsiDataIn ? SgDirection::FromDevice : SgDirection::ToDevice;
    }
    const std::uint64_t milliseconds = std::uint64_t{request.TimeOutValue} * 1000;
    command.timeoutMs = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(milliseconds, std::numeric_limits<std::uint32_t>::max()));
    command.sense = request.Sense;
    command.senseLength =
        static_cast<std::uint8_t>(std::min<std::size_t>(request.SenseInfoLength, kSenseLength));
    return command;
}

bool ApplyCompletion(const SgCompletion& completion, PassThroughRequest& request) {
    if (!completion.ioctlOk || completion.hostStatus != 0) {
        return false;
    }
    // With a CHECK CONDITION the driver flags the sense data it carries; the status alone then
    // tells the failure. A driver error with a good status is no success.
    if (completion.driverStatus != 0 && completion.scsiStatus == 0) {
        return false;
    }
    const std::uint32_t length = request.DataTransferLength;
    const std::uint32_t residual =
        completion.residual <= 0
            ? 0u
            : std::min(static_cast<std::uint32_t>(completion.residual), length);
    request.ScsiStatus = completion.scsiStatus;
    request.DataTransferLength = length - residual;
    return true;
}

} // namespace platform::linux_backend
