#pragma once
// The device manager's view of the block devices, through libudev.

#include "platform/linux/system_interfaces.h"

namespace platform::linux_backend {

class UdevScanner final : public DeviceScanner {
  public:
    std::vector<UdevRecord> scan() override;
};

} // namespace platform::linux_backend
