#pragma once
// The tool's one pass-through channel to a drive: the open device, the adapter's transfer
// geometry, the aligned transfer buffer and the lock that serialises all of them.

#include "platform/lock.h"
#include "platform/storage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct SptiContext {
    explicit SptiContext(platform::Storage& storage) : m_storage(storage) {}
    SptiContext(const SptiContext&) = delete;
    SptiContext& operator=(const SptiContext&) = delete;

    platform::DeviceHandle m_hDevice = platform::DeviceHandle::None;
    std::uint32_t m_dwAlignmentMask = 0;
    std::uint8_t* m_pBuffer = nullptr;
    std::unique_ptr<std::uint8_t[]> m_pBlock;
    std::uint32_t m_dwTransferSize = 2048;
    char m_szPath[64] = {};
    platform::Lock m_lock;

    platform::Storage& m_storage;
};

inline constexpr std::uint32_t kInitialTransferSize = 2048;
// The buffer always holds the largest transfer issued on it: the 4096 bytes of OP_IDENTIFY.
inline constexpr std::uint32_t kMinimumBufferSize = 4096;
// The largest transfer size: a page multiple that still fits the write command's 24-bit
// chunk-length field.
inline constexpr std::uint32_t kMaximumTransferSize = 0xFFF000;

// 0 when open; the system's error code when the drive cannot be opened or its properties read;
// -1 when the transfer buffer cannot be allocated. Opens m_szPath; takes the lock itself.
std::int32_t OpenSptiContext(SptiContext& context, const char* path);
// Runs the four storage property queries; sets `mask` (0 when the adapter reports none) and,
// when the adapter descriptor was obtained, the context's transfer size. On failure, `error`
// holds the system's error code.
bool QueryTransferGeometry(platform::DeviceHandle device, SptiContext& context, std::uint32_t& mask,
                           std::uint32_t& error);
void CloseSptiContext(SptiContext& context);
// Closes the context; the owner frees it afterwards and uses it no more.
void DestroySptiContext(SptiContext& context);

// The adapter's true maximum transfer from its descriptor fields.
std::uint32_t ComputeTransferSize(std::uint32_t maximumTransferLength,
                                  std::uint32_t maximumPhysicalPages);
