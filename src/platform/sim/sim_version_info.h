#pragma once
// Version blocks of the program's own file (its fixed file version) and of the files on the
// drives (ProductVersion in a string table, which an image installed on the stick replaces
// once the stick is back from its reboot). Files on a drive that is not there have none.

#include "platform/sim/drive_bay.h"
#include "platform/sim/machine_core.h"
#include "platform/sim/version_block.h"
#include "platform/version_info.h"

#include <string>
#include <vector>

namespace sim {

class SimVersionInfo final : public platform::VersionInfo {
  public:
    SimVersionInfo(MachineCore& core, DriveBay& bay, std::string modulePath,
                   const FileVersion& toolVersion);

    std::uint32_t size(const char* path) override;
    bool read(const char* path, std::span<std::uint8_t> block) override;
    std::optional<std::span<const std::uint8_t>> queryValue(std::span<const std::uint8_t> block,
                                                            const char* subBlock) override;

  private:
    struct Found {
        std::vector<std::uint8_t> block; // empty: no version block
        bool readable = true;
    };
    // The caller holds the lock.
    Found lookUp(const char* path) const;

    MachineCore& m_core;
    DriveBay& m_bay;
    const std::string m_modulePath;
    const std::vector<std::uint8_t> m_toolBlock;
};

} // namespace sim
