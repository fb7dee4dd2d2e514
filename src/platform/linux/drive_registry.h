#pragma once
// The machine's drives as the backend sees them at this moment: every question scans the device
// manager afresh, so that a stick that rebooted under a new node is found under its old letter.

#include "platform/linux/drive_letters.h"
#include "platform/linux/system_interfaces.h"

#include <mutex>
#include <optional>
#include <vector>

namespace platform::linux_backend {

class DriveRegistry {
  public:
    explicit DriveRegistry(DeviceScanner& scanner) : m_scanner(scanner) {}

    // The lettered drives present now, in letter order.
    std::vector<LetteredDevice> drives();
    // The device that plays drive `letter` now; nothing when it is not there.
    std::optional<BlockDevice> resolve(char letter);

  private:
    DeviceScanner& m_scanner;
    std::mutex m_mutex;
    DriveLetters m_letters;
};

} // namespace platform::linux_backend
