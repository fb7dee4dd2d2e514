#include "platform/linux/linux_machine.h"

namespace platform::linux_backend {

LinuxMachine::LinuxMachine(std::span<const std::uint8_t> resourceFile)
    : m_resources(resourceFile), m_versionInfo(m_files, m_resources.versionResource()) {}

} // namespace platform::linux_backend
