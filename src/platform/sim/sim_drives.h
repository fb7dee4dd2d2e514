#pragma once
// The drive list, drive types and the program's own path.

#include "platform/drives.h"
#include "platform/sim/drive_bay.h"
#include "platform/sim/machine_core.h"

#include <string>

namespace sim {

class SimDrives final : public platform::Drives {
  public:
    SimDrives(MachineCore& core, DriveBay& bay, std::string modulePath, DriveListMode mode)
        : m_core(core), m_bay(bay), m_modulePath(std::move(modulePath)), m_mode(mode) {}

    std::uint32_t logicalDriveStrings(std::span<char> buffer) override;
    std::uint32_t driveType(const char* root) override;
    std::uint32_t moduleFileName(std::span<char> buffer) override;

  private:
    MachineCore& m_core;
    DriveBay& m_bay;
    const std::string m_modulePath;
    const DriveListMode m_mode;
};

} // namespace sim
