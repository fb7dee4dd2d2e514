#include "platform/linux/linux_drives.h"

#include "platform/linux/mount_table.h"
#include "platform/linux/windows_paths.h"

#include <algorithm>
#include <cstring>

namespace platform::linux_backend {

std::uint32_t LinuxDrives::logicalDriveStrings(std::span<char> buffer) {
    std::string list;
    for (const LetteredDevice& drive : m_drives.drives()) {
        list += drive.letter;
        list += ":\\";
        list += '\0';
    }
    // As the system does: too small a buffer gets nothing and learns the size it needs.
    if (list.size() + 1 > buffer.size()) {
        return static_cast<std::uint32_t>(list.size() + 1);
    }
    std::copy(list.begin(), list.end(), buffer.begin());
    buffer[list.size()] = '\0';
    return static_cast<std::uint32_t>(list.size());
}

std::uint32_t LinuxDrives::driveType(const char* root) {
    if (root == nullptr || root[0] == '\0' || root[1] != ':' ||
        (root[2] != '\0' && (root[2] != '\\' || root[3] != '\0'))) {
        return kDriveNoRootDir;
    }
    return m_drives.resolve(root[0]) ? kDriveCdrom : kDriveNoRootDir;
}

std::string LinuxDrives::programPath() {
    const std::string program = m_host.programPath();
    if (program.empty()) {
        return program;
    }
    const auto mount = MountHolding(ParseMountTable(m_host.mountInfo()), program);
    if (!mount) {
        return program;
    }
    std::optional<char> letter;
    for (const LetteredDevice& drive : m_drives.drives()) {
        if (drive.device.major == mount->major && drive.device.minor == mount->minor) {
            letter = drive.letter;
        }
    }
    return ProgramPathFor(program, letter, mount->mountPoint, mount->root);
}

std::uint32_t LinuxDrives::moduleFileName(std::span<char> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    const std::string path = programPath();
    const std::size_t length = std::min(path.size(), buffer.size() - 1);
    std::memcpy(buffer.data(), path.data(), length);
    buffer[length] = '\0';
    return static_cast<std::uint32_t>(length);
}

} // namespace platform::linux_backend
