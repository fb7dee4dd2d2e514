#pragma once
// The request block of every vendor command: the system's SCSI_PASS_THROUGH_DIRECT as laid out
// for a 32-bit process, a filler and a 32-byte sense area. Every backend reads the fields it needs
// from here and writes back ScsiStatus and DataTransferLength.

#include <cstddef>
#include <cstdint>

namespace platform {

inline constexpr std::uint8_t kScsiDataOut = 0; // SCSI_IOCTL_DATA_OUT
inline constexpr std::uint8_t kScsiDataIn = 1;  // SCSI_IOCTL_DATA_IN
inline constexpr std::size_t kCdbLength = 16;
inline constexpr std::size_t kSenseLength = 32;

struct PassThroughRequest {
    std::uint16_t Length;
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;
    void* DataBuffer;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[kCdbLength];
    std::uint32_t Filler;
    std::uint8_t Sense[kSenseLength];
};

// The block keeps the 32-bit layout byte for byte where pointers are 32 bits wide; elsewhere
// the field values, not the offsets, are the contract.
inline constexpr std::uint16_t kPassThroughDirectLength = 44;
inline constexpr std::uint32_t kSenseInfoOffset = 48;
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PassThroughRequest) == 80);
static_assert(offsetof(PassThroughRequest, DataTransferLength) == 12);
static_assert(offsetof(PassThroughRequest, TimeOutValue) == 16);
static_assert(offsetof(PassThroughRequest, DataBuffer) == 20);
static_assert(offsetof(PassThroughRequest, SenseInfoOffset) == 24);
static_assert(offsetof(PassThroughRequest, Cdb) == 28);
static_assert(offsetof(PassThroughRequest, Sense) == kSenseInfoOffset);
#endif
static_assert(offsetof(PassThroughRequest, DataTransferLength) == 12);
static_assert(offsetof(PassThroughRequest, DataIn) == 8);

} // namespace platform
