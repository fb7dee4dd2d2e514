#pragma once
// Storage on Linux. A drive's device path "\\.\E:" is resolved afresh at every open to the
// device that plays drive E: now. A descriptor query needs no node: its descriptors are built
// from sysfs. The pass-through opens the device's SCSI generic node (/dev/sgN) for reading and
// writing, which accepts the vendor commands from a user who may open it, where the block node
// would refuse them; each command goes through SG_IO. Error codes are errno values.

#include "platform/linux/access_denial.h"
#include "platform/linux/block_device.h"
#include "platform/linux/drive_registry.h"
#include "platform/linux/system_interfaces.h"
#include "platform/storage.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace platform::linux_backend {

class LinuxStorage final : public Storage {
  public:
    LinuxStorage(DriveRegistry& drives, DeviceNodes& nodes) : m_drives(drives), m_nodes(nodes) {}

    OpenResult open(const char* path, OpenMode mode) override;
    void close(DeviceHandle device) override;
    QueryResult queryProperty(DeviceHandle device, StorageProperty property,
                              std::span<std::uint8_t> out) override;
    bool passThrough(DeviceHandle device, PassThroughRequest& request) override;

    // The last pass-through open refused for lack of rights, unless a later one succeeded.
    std::optional<AccessDenial> accessDenial() const;

  private:
    struct OpenDevice {
        int descriptor = -1; // -1: opened for the descriptor query only
        BlockDevice device;
    };
    std::optional<OpenDevice> find(DeviceHandle device) const;

    DriveRegistry& m_drives;
    DeviceNodes& m_nodes;
    mutable std::mutex m_mutex;
    std::map<std::uintptr_t, OpenDevice> m_open;
    std::uintptr_t m_nextHandle = 1;
    std::optional<AccessDenial> m_denial;
};

} // namespace platform::linux_backend
