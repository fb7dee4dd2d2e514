#include "platform/linux/linux_machine.h"

namespace platform::linux_backend {

namespace {

constexpr std::uint16_t kRtVersion = 16;
constexpr std::uint16_t kVersionInfoId = 1;

// The program's own version resource among its resources; empty when it has none.
std::span<const std::uint8_t> ProgramVersion(const resfile::ResFileResources& resources) {
    const auto* entry = resources.index().find(kRtVersion, kVersionInfoId);
    return entry != nullptr ? entry->data : std::span<const std::uint8_t>();
}

} // namespace

LinuxMachine::LinuxMachine(std::span<const std::uint8_t> resourceFile)
    : m_resources(resourceFile), m_versionInfo(m_files, ProgramVersion(m_resources)) {}

} // namespace platform::linux_backend
