#pragma once
// The host's files on the real machine.

#include "platform/linux/system_interfaces.h"

namespace platform::linux_backend {

class SystemHostFiles final : public HostFiles {
  public:
    std::string programPath() override;
    std::string mountInfo() override;
    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                      std::size_t limit) override;
    std::optional<std::string> findEntry(const std::string& directory,
                                         const std::string& name) override;
    std::optional<std::vector<std::uint8_t>>
    readFromVolume(const std::string& source, const std::vector<std::string>& components,
                   std::size_t limit) override;
};

} // namespace platform::linux_backend
