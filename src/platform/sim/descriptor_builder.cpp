#include "platform/sim/descriptor_builder.h"

#include "platform/sim/win_errors.h"
#include "platform/storage_descriptors.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace sim {

namespace {

namespace desc = platform::descriptor;

// Texts placed past this reach beyond any buffer a caller hands the query; keep them out.
constexpr std::size_t kTextRegionEnd = 4096;
constexpr std::uint8_t kPeripheralCdrom = 0x05;

// Writes `text` and its zero at `offset` as far as the region reaches.
void PlaceText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text) {
    if (offset >= kTextRegionEnd) {
        return;
    }
    const std::size_t end = std::min(offset + text.size() + 1, kTextRegionEnd);
    if (bytes.size() < end) {
        bytes.resize(end, 0);
    }
    std::memcpy(bytes.data() + offset, text.data(), std::min(text.size(), end - offset));
}

} // namespace

std::vector<std::uint8_t> BuildDeviceDescriptor(const DriveSpec& drive) {
    std::vector<std::uint8_t> bytes(desc::device::kFixedSize, 0);
    // The texts follow the fixed part in order, unless an offset is overridden.
    std::size_t next = desc::device::kFixedSize;
    const auto place = [&](const std::string& text, std::optional<std::uint32_t> override) {
        const std::size_t offset = override ? *override : next;
        if (!override) {
            next += text.size() + 1;
        }
        if (offset != 0) {
            PlaceText(bytes, offset, text);
        }
        return static_cast<std::uint32_t>(offset);
    };
    const std::uint32_t vendor = place(drive.vendor, drive.vendorOffset);
    const std::uint32_t product = place(drive.product, drive.productOffset);
    const std::uint32_t revision = place(drive.revision, std::nullopt);

    // The fixed fields go last, so that a text placed over them cannot hide them.
    desc::writeU32(bytes, 0, static_cast<std::uint32_t>(desc::device::kFixedSize)); // Version
    desc::writeU32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));             // Size
    bytes[desc::device::kDeviceType] = drive.type == win::kDriveCdrom ? kPeripheralCdrom : 0;
    bytes[desc::device::kRemovableMedia] =
        drive.type == win::kDriveCdrom || drive.type == win::kDriveRemovable ? 1 : 0;
    desc::writeU32(bytes, desc::device::kVendorIdOffset, vendor);
    desc::writeU32(bytes, desc::device::kProductIdOffset, product);
    desc::writeU32(bytes, desc::device::kProductRevisionOffset, revision);
    desc::writeU32(bytes, desc::device::kSerialNumberOffset, 0);
    desc::writeU32(bytes, desc::device::kBusType, drive.bus);
    return bytes;
}

std::vector<std::uint8_t> BuildAdapterDescriptor(const DriveSpec& drive,
                                                 const AdapterLimits& limits) {
    std::vector<std::uint8_t> bytes(desc::adapter::kSize, 0);
    desc::writeU32(bytes, 0, static_cast<std::uint32_t>(desc::adapter::kSize)); // Version
    desc::writeU32(bytes, desc::adapter::kMaximumTransferLength, limits.maxTransferLength);
    desc::writeU32(bytes, desc::adapter::kMaximumPhysicalPages, limits.maxPhysicalPages);
    desc::writeU32(bytes, desc::adapter::kAlignmentMask, limits.alignmentMask);
    bytes[24] = static_cast<std::uint8_t>(drive.bus); // BusType
    const std::uint32_t size =
        drive.adapterDescriptorSize.value_or(static_cast<std::uint32_t>(desc::adapter::kSize));
    desc::writeU32(bytes, 4, size); // Size as reported
    if (size > bytes.size()) {
        bytes.resize(size, 0); // an adapter claiming a longer descriptor pads it with zeros
    }
    return bytes;
}

} // namespace sim
