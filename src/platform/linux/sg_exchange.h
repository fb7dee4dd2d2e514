#pragma once
// One vendor command as the SCSI generic driver's SG_IO carries it, and its outcome written
// back into the tool's request block. Free of system headers, so that the mapping runs on
// canned outcomes; the backend copies these fields into and out of the driver's sg_io_hdr.

#include "platform/pass_through_request.h"

#include <cstdint>

namespace platform::linux_backend {

enum class SgDirection { None, ToDevice, FromDevice };

struct SgCommand {
    const std::uint8_t* cdb = nullptr;
    std::uint8_t cdbLength = 0;
    SgDirection direction = SgDirection::None;
    void* data = nullptr;
    std::uint32_t length = 0;
    std::uint32_t timeoutMs = 0;
    std::uint8_t* sense = nullptr;
    std::uint8_t senseLength = 0;
};

// What came back: whether the ioctl itself succeeded, and the driver's status fields.
struct SgCompletion {
    bool ioctlOk = false;
    int error = 0;               // errno when the ioctl failed
    std::uint8_t scsiStatus = 0; // sg_io_hdr.status
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    std::int32_t residual = 0; // sg_io_hdr.resid
};

// The command of a request block: its CDB (16 bytes at most), direction, data, time-out in
// milliseconds (the block's seconds times 1000, held at the largest value that fits), and its
// sense area.
SgCommand CommandOf(PassThroughRequest& request);

// Writes the outcome into the block: true when the request came back over a clean transport
// (ioctl succeeded, host and driver status clear), with the device's status in ScsiStatus and
// DataTransferLength = length - residual. A failed ioctl, a host or driver error, or a driver
// error beside a good status gives false; the block is then left as it was.
bool ApplyCompletion(const SgCompletion& completion, PassThroughRequest& request);

} // namespace platform::linux_backend
