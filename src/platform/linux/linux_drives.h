#pragma once
// Drives on Linux: the lettered CD-ROM devices (see drive_letters.h), each of type DRIVE_CDROM,
// and the program's own path, which names a drive when the program runs from the volume of a
// lettered device ("E:\kestrun") and is the plain POSIX path otherwise (no drive: the logic then
// scans all drives).

#include "platform/drives.h"
#include "platform/linux/drive_registry.h"
#include "platform/linux/system_interfaces.h"

#include <string>

namespace platform::linux_backend {

inline constexpr std::uint32_t kDriveNoRootDir = 1; // DRIVE_NO_ROOT_DIR: no such drive

class LinuxDrives final : public Drives {
  public:
    LinuxDrives(DriveRegistry& drives, HostFiles& host) : m_drives(drives), m_host(host) {}

    std::uint32_t logicalDriveStrings(std::span<char> buffer) override;
    std::uint32_t driveType(const char* root) override;
    std::uint32_t moduleFileName(std::span<char> buffer) override;

    // The program's path as moduleFileName gives it.
    std::string programPath();

  private:
    DriveRegistry& m_drives;
    HostFiles& m_host;
};

} // namespace platform::linux_backend
