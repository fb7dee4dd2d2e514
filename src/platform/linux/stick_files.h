#pragma once
// The files the tool names by drive path ("E:\QivarGUIMain.exe"), read on Linux: from the
// volume's mount point when the drive's volume is mounted (/proc/self/mountinfo), otherwise
// straight from its ISO 9660 volume on the device, without mounting anything. Names match
// without regard to case, as on the stick's own system. POSIX paths are read as they are.

#include "platform/linux/drive_registry.h"
#include "platform/linux/linux_drives.h"
#include "platform/linux/system_interfaces.h"
#include "platform/pe/pe_version_info.h"

namespace platform::linux_backend {

// The largest file read for its version: far beyond any program the stick carries.
inline constexpr std::size_t kLargestVersionedFile = 64 * 1024 * 1024;

class StickFiles final : public pe::FileSource {
  public:
    StickFiles(DriveRegistry& drives, LinuxDrives& program, HostFiles& host)
        : m_drives(drives), m_program(program), m_host(host) {}

    std::optional<std::vector<std::uint8_t>> read(const char* path) override;
    bool isRunningProgram(const char* path) override;

  private:
    DriveRegistry& m_drives;
    LinuxDrives& m_program;
    HostFiles& m_host;
};

} // namespace platform::linux_backend
