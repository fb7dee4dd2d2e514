#pragma once
// The device nodes of the real machine: open, SG_IO, close.

#include "platform/linux/system_interfaces.h"

namespace platform::linux_backend {

class SystemDeviceNodes final : public DeviceNodes {
  public:
    int openForCommands(const std::string& node, int& error) override;
    SgCompletion execute(int descriptor, const SgCommand& command) override;
    void close(int descriptor) override;
    std::string groupOf(const std::string& node) override;
};

} // namespace platform::linux_backend
