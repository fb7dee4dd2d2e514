#pragma once
// The storage descriptors that the logic asks for, built from what sysfs tells about a block
// device, in the byte layouts of platform/storage_descriptors.h.
//
// Adapter: MaximumTransferLength = max_hw_sectors_kb x 1024 (the largest command the queue
// passes through), MaximumPhysicalPages = max_segments, AlignmentMask = dma_alignment (made a
// mask of low bits and held to 4095, a page).
// Device: SCSI peripheral type, removable media, bus type USB (7) when the device hangs below a
// USB device (SCSI (1) otherwise), and the vendor, product and revision texts as the device
// reports them, blanks kept.

#include "platform/linux/block_device.h"
#include "platform/storage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::linux_backend {

inline constexpr std::uint32_t kBusTypeScsi = 1;

struct AdapterFigures {
    std::uint32_t maximumTransferLength = 0;
    std::uint32_t maximumPhysicalPages = 0;
    std::uint32_t alignmentMask = 0;
};

// Figures too large for the descriptor's 32-bit fields are held at their largest value.
AdapterFigures MapQueueLimits(const QueueLimits& limits);

// `usb`: the bus type byte the descriptor carries.
std::vector<std::uint8_t> BuildAdapterDescriptor(const AdapterFigures& figures, bool usb);
std::vector<std::uint8_t> BuildDeviceDescriptor(const BlockDevice& device);

// One property query answered from a built descriptor: as much of it as fits `out`, the rest of
// `out` zero. A buffer shorter than the 8-byte header gets nothing (NotAvailable, as the system
// answers ERROR_MORE_DATA); no descriptor at all is NotAvailable too.
QueryResult Deliver(const std::optional<std::vector<std::uint8_t>>& descriptor,
                    std::span<std::uint8_t> out);

} // namespace platform::linux_backend
