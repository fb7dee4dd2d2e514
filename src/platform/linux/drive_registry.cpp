#include "platform/linux/drive_registry.h"

namespace platform::linux_backend {

std::vector<LetteredDevice> DriveRegistry::drives() {
    std::vector<BlockDevice> devices;
    for (const UdevRecord& record : m_scanner.scan()) {
        devices.push_back(DescribeDevice(record));
    }
    std::lock_guard guard(m_mutex);
    return m_letters.assign(devices);
}

std::optional<BlockDevice> DriveRegistry::resolve(char letter) {
    const auto wanted = DriveLetter(letter);
    if (!wanted) {
        return std::nullopt;
    }
    for (LetteredDevice& drive : drives()) {
        if (drive.letter == *wanted) {
            return std::move(drive.device);
        }
    }
    return std::nullopt;
}

} // namespace platform::linux_backend
