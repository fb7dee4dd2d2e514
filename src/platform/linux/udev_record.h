#pragma once
// What the device manager tells about one block device, gathered by the scanner and read by
// plain functions, so that the mapping runs on canned records in the tests.

#include <cstdint>
#include <map>
#include <string>

namespace platform::linux_backend {

struct UdevRecord {
    std::string sysname; // "sr0"
    std::string syspath; // "/sys/devices/.../block/sr0"
    std::string devnode; // "/dev/sr0"; empty when the device has none
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    // Attributes relative to the device, as read: "device/type", "device/vendor",
    // "device/model", "device/rev", "removable", "queue/max_hw_sectors_kb",
    // "queue/max_segments", "queue/dma_alignment".
    std::map<std::string, std::string> attributes;
    // The device manager's properties: ID_CDROM, ID_PATH, ...
    std::map<std::string, std::string> properties;
    std::string usbDevice;  // sysname of the USB device above it ("1-2.3"); empty: not on USB
    std::string scsiDevice; // sysname of the SCSI device above it ("6:0:0:0")
    std::string sgNode;     // device node of its SCSI generic twin ("/dev/sg1"); may be empty
};

// The attribute names the scanner reads.
inline constexpr const char* kScannedAttributes[] = {
    "device/type", "device/vendor",           "device/model",       "device/rev",
    "removable",   "queue/max_hw_sectors_kb", "queue/max_segments", "queue/dma_alignment",
};

} // namespace platform::linux_backend
