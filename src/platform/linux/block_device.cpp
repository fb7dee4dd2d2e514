#include "platform/linux/block_device.h"

#include <charconv>

namespace platform::linux_backend {

namespace {

constexpr std::uint8_t kScsiTypeCdrom = 5; // TYPE_ROM

std::string Attribute(const UdevRecord& record, const std::string& name) {
    const auto found = record.attributes.find(name);
    return found == record.attributes.end() ? std::string()
                                            : std::string(AttributeText(found->second));
}

std::optional<std::uint64_t> Number(const UdevRecord& record, const std::string& name) {
    const auto found = record.attributes.find(name);
    return found == record.attributes.end() ? std::nullopt : ParseSysfsNumber(found->second);
}

bool PropertyIs(const UdevRecord& record, const std::string& name, std::string_view value) {
    const auto found = record.properties.find(name);
    return found != record.properties.end() && found->second == value;
}

// The SCSI unit number: the last field of "host:channel:target:lun".
std::string LunOf(const std::string& scsiDevice) {
    const auto colon = scsiDevice.rfind(':');
    return colon == std::string::npos ? std::string("0") : scsiDevice.substr(colon + 1);
}

std::string IdentityOf(const UdevRecord& record) {
    // The SCSI host number changes when the stick comes back from a reboot, the USB port path
    // does not.
    if (!record.usbDevice.empty()) {
        return "usb:" + record.usbDevice + ":lun" + LunOf(record.scsiDevice);
    }
    const auto path = record.properties.find("ID_PATH");
    if (path != record.properties.end() && !path->second.empty()) {
        return "path:" + path->second;
    }
    return "sys:" + record.syspath;
}

} // namespace

std::string_view AttributeText(std::string_view raw) {
    while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) {
        raw.remove_suffix(1);
    }
    return raw;
}

std::optional<std::uint64_t> ParseSysfsNumber(std::string_view raw) {
    const std::string_view text = AttributeText(raw);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

BlockDevice DescribeDevice(const UdevRecord& record) {
    BlockDevice device;
    device.sysname = record.sysname;
    device.devnode = record.devnode;
    device.sgNode = record.sgNode;
    device.major = record.major;
    device.minor = record.minor;
    device.identity = IdentityOf(record);
    const auto type = Number(record, "device/type");
    if (type && *type <= 0x1F) {
        device.scsiType = static_cast<std::uint8_t>(*type);
    }
    device.cdrom = device.scsiType == kScsiTypeCdrom || PropertyIs(record, "ID_CDROM", "1");
    device.usb = !record.usbDevice.empty();
    device.removable = Number(record, "removable") == 1u;
    device.vendor = Attribute(record, "device/vendor");
    device.model = Attribute(record, "device/model");
    device.revision = Attribute(record, "device/rev");
    const auto sectors = Number(record, "queue/max_hw_sectors_kb");
    const auto segments = Number(record, "queue/max_segments");
    const auto alignment = Number(record, "queue/dma_alignment");
    if (sectors && segments && alignment) {
        device.queue = QueueLimits{*sectors, *segments, *alignment};
    }
    return device;
}

} // namespace platform::linux_backend
