#include "platform/linux/stick_files.h"

#include "platform/linux/mount_table.h"
#include "platform/linux/windows_paths.h"

namespace platform::linux_backend {

std::optional<std::vector<std::uint8_t>> StickFiles::read(const char* path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    const auto parsed = ParseDriveFilePath(path);
    if (!parsed) {
        return path[0] == '/' ? m_host.readFile(path, kLargestVersionedFile) : std::nullopt;
    }
    const auto device = m_drives.resolve(parsed->letter);
    if (!device) {
        return std::nullopt;
    }
    const auto mount =
        VolumeMount(ParseMountTable(m_host.mountInfo()), device->major, device->minor);
    if (!mount) {
        return m_host.readFromVolume(device->devnode, parsed->components, kLargestVersionedFile);
    }
    std::string place = mount->mountPoint;
    for (const std::string& component : parsed->components) {
        const auto entry = m_host.findEntry(place, component);
        if (!entry) {
            // The kernel shows a volume's Rock Ridge tree before its Joliet tree, and a stick's
            // volume may keep its files in the Joliet tree alone: ask the volume itself.
            return m_host.readFromVolume(device->devnode, parsed->components,
                                         kLargestVersionedFile);
        }
        place += (place.back() == '/' ? "" : "/") + *entry;
    }
    return m_host.readFile(place, kLargestVersionedFile);
}

bool StickFiles::isRunningProgram(const char* path) {
    return path != nullptr && path[0] != '\0' && m_program.programPath() == path;
}

} // namespace platform::linux_backend
