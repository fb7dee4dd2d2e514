#pragma once
// A block device as the backend uses it: the drive it plays, the identity that outlives the
// stick's reboots, the texts its descriptors carry and its queue's limits.

#include "platform/linux/udev_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::linux_backend {

// The block queue's limits, as sysfs gives them.
struct QueueLimits {
    std::uint64_t maxHwSectorsKb = 0;
    std::uint64_t maxSegments = 0;
    std::uint64_t dmaAlignment = 0;
};

struct BlockDevice {
    std::string sysname;
    std::string devnode;
    std::string sgNode;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    // Stays the same while the device sits in the same port: the USB port path and the SCSI
    // unit for a USB device, the device manager's ID_PATH or the sysfs path otherwise.
    std::string identity;
    bool cdrom = false;
    bool usb = false;
    bool removable = false;
    std::uint8_t scsiType = 0x1F; // unknown
    std::string vendor;           // blanks kept, as the device reports them
    std::string model;
    std::string revision;
    std::optional<QueueLimits> queue; // nothing when any of the three is missing or unreadable
};

// A sysfs attribute without the line end the kernel appends.
std::string_view AttributeText(std::string_view raw);
// A decimal sysfs number; nothing for anything else.
std::optional<std::uint64_t> ParseSysfsNumber(std::string_view raw);

BlockDevice DescribeDevice(const UdevRecord& record);

} // namespace platform::linux_backend
