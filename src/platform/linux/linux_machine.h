#pragma once
// The real Linux machine behind the platform seam: drives found through the device manager,
// vendor commands through the SCSI generic driver, the stick's files from its volume, and the
// version information of files, the program's own from the compiled resource file linked into
// it. A front end adds its resources, real time and threads, and its dialog controls
// (platform/host/host_machine.h).

#include "platform/linux/drive_registry.h"
#include "platform/linux/linux_drives.h"
#include "platform/linux/linux_storage.h"
#include "platform/linux/stick_files.h"
#include "platform/linux/system_device_nodes.h"
#include "platform/linux/system_host_files.h"
#include "platform/linux/udev_scanner.h"
#include "platform/pe/pe_version_info.h"
#include "platform/platform.h"
#include "platform/resfile/res_file_resources.h"

#include <cstdint>
#include <span>

namespace platform::linux_backend {

class LinuxMachine {
  public:
    // `resourceFile`: the program's compiled resource file (.res), such as EmbeddedResources();
    // it must outlive the machine.
    explicit LinuxMachine(std::span<const std::uint8_t> resourceFile);
    LinuxMachine(const LinuxMachine&) = delete;
    LinuxMachine& operator=(const LinuxMachine&) = delete;

    // Why the stick, though seen, could not be opened for commands (see access_denial.h).
    std::optional<AccessDenial> accessDenial() const { return m_storage.accessDenial(); }

    // The parts of the seam: the drives' storage, the drives (whose programPath() is the path
    // the logic sees for the program), and the version information of files, the program's own
    // included.
    Storage& storage() { return m_storage; }
    LinuxDrives& drives() { return m_drives; }
    VersionInfo& fileVersions() { return m_versionInfo; }

  private:
    UdevScanner m_scanner;
    DriveRegistry m_registry{m_scanner};
    SystemDeviceNodes m_nodes;
    SystemHostFiles m_host;
    LinuxStorage m_storage{m_registry, m_nodes};
    LinuxDrives m_drives{m_registry, m_host};
    StickFiles m_files{m_registry, m_drives, m_host};
    resfile::ResFileResources m_resources;
    pe::PeVersionInfo m_versionInfo;
};

} // namespace platform::linux_backend
