#include "platform/linux/descriptor_synthesis.h"

#include "platform/storage_descriptors.h"

#include <algorithm>
#include <limits>
#include <string>

namespace platform::linux_backend {

namespace {

namespace desc = platform::descriptor;

constexpr std::uint32_t kErrorInvalidFunction = 1; // the system's code for "no such property"
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::size_t kAdapterBusType = 24;
constexpr std::uint64_t kLargestAlignmentMask = 4095; // one byte in STORAGE_ADAPTER_DESCRIPTOR

std::uint32_t Held(std::uint64_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

// Appends the text and its zero; the offset it starts at.
std::uint32_t AppendText(std::vector<std::uint8_t>& bytes, const std::string& text) {
    const auto offset = static_cast<std::uint32_t>(bytes.size());
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return offset;
}

// The queue's DMA alignment as a mask of low address bits, held to a page: the block layer never
// asks for more, and a wild figure must not make the logic allocate gigabytes to align a buffer.
std::uint32_t AlignmentMask(std::uint64_t alignment) {
    std::uint64_t mask = std::min<std::uint64_t>(alignment, kLargestAlignmentMask);
    for (int shift = 1; shift < 32; shift *= 2) {
        mask |= mask >> shift; // all bits below the highest set one
    }
    return static_cast<std::uint32_t>(mask);
}

} // namespace

AdapterFigures MapQueueLimits(const QueueLimits& limits) {
    const std::uint64_t kb = limits.maxHwSectorsKb;
    const std::uint64_t bytes = kb > std::numeric_limits<std::uint64_t>::max() / 1024
                                    ? std::numeric_limits<std::uint64_t>::max()
                                    : kb * 1024;
    return AdapterFigures{Held(bytes), Held(limits.maxSegments),
                          AlignmentMask(limits.dmaAlignment)};
}

std::vector<std::uint8_t> BuildAdapterDescriptor(const AdapterFigures& figures, bool usb) {
    std::vector<std::uint8_t> bytes(desc::adapter::kSize, 0);
    desc::writeU32(bytes, 0, static_cast<std::uint32_t>(desc::adapter::kSize)); // Version
    desc::writeU32(bytes, 4, static_cast<std::uint32_t>(desc::adapter::kSize)); // Size
    desc::writeU32(bytes, desc::adapter::kMaximumTransferLength, figures.maximumTransferLength);
    desc::writeU32(bytes, desc::adapter::kMaximumPhysicalPages, figures.maximumPhysicalPages);
    desc::writeU32(bytes, desc::adapter::kAlignmentMask, figures.alignmentMask);
    bytes[kAdapterBusType] = static_cast<std::uint8_t>(usb ? desc::kBusTypeUsb : kBusTypeScsi);
    return bytes;
}

std::vector<std::uint8_t> BuildDeviceDescriptor(const BlockDevice& device) {
    std::vector<std::uint8_t> bytes(desc::device::kFixedSize, 0);
    const std::uint32_t vendor = AppendText(bytes, device.vendor);
    const std::uint32_t product = AppendText(bytes, device.model);
    const std::uint32_t revision = AppendText(bytes, device.revision);
    desc::writeU32(bytes, 0, static_cast<std::uint32_t>(desc::device::kFixedSize)); // Version
    desc::writeU32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));             // Size
    bytes[desc::device::kDeviceType] = device.scsiType;
    bytes[desc::device::kRemovableMedia] = device.removable || device.cdrom ? 1 : 0;
    desc::writeU32(bytes, desc::device::kVendorIdOffset, vendor);
    desc::writeU32(bytes, desc::device::kProductIdOffset, product);
    desc::writeU32(bytes, desc::device::kProductRevisionOffset, revision);
    desc::writeU32(bytes, desc::device::kSerialNumberOffset, 0);
    desc::writeU32(bytes, desc::device::kBusType, device.usb ? desc::kBusTypeUsb : kBusTypeScsi);
    return bytes;
}

QueryResult Deliver(const std::optional<std::vector<std::uint8_t>>& descriptor,
                    std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    if (!descriptor) {
        return {QueryStatus::NotAvailable, kErrorInvalidFunction};
    }
    if (out.size() < desc::kHeaderSize) {
        return {QueryStatus::NotAvailable, kErrorMoreData};
    }
    const std::size_t count = std::min(out.size(), descriptor->size());
    std::copy_n(descriptor->begin(), count, out.begin());
    return {QueryStatus::Delivered, 0};
}

} // namespace platform::linux_backend
