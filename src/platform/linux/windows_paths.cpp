#include "platform/linux/windows_paths.h"

#include "platform/linux/drive_letters.h"

namespace platform::linux_backend {

std::optional<char> LetterOfDevicePath(std::string_view path) {
    constexpr std::string_view kPrefix = "\\\\.\\";
    if (path.size() != kPrefix.size() + 2 || path.substr(0, kPrefix.size()) != kPrefix ||
        path[kPrefix.size() + 1] != ':') {
        return std::nullopt;
    }
    return DriveLetter(path[kPrefix.size()]);
}

std::optional<DriveFilePath> ParseDriveFilePath(std::string_view path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') {
        return std::nullopt;
    }
    const auto letter = DriveLetter(path[0]);
    if (!letter) {
        return std::nullopt;
    }
    DriveFilePath parsed{*letter, {}};
    std::size_t position = 3;
    while (position <= path.size()) {
        const std::size_t next = std::min(path.find('\\', position), path.size());
        const std::string_view name = path.substr(position, next - position);
        position = next + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == ".." || name.find('/') != std::string_view::npos) {
            return std::nullopt;
        }
        parsed.components.emplace_back(name);
    }
    if (parsed.components.empty()) {
        return std::nullopt;
    }
    return parsed;
}

std::string ProgramPathFor(const std::string& programPath, std::optional<char> letter,
                           const std::string& mountPoint, const std::string& mountRoot) {
    if (!letter || programPath.compare(0, mountPoint.size(), mountPoint) != 0) {
        return programPath;
    }
    // The program's place in the volume: the mount's root, then what lies below the mount point.
    const std::string below =
        mountPoint == "/" ? programPath : programPath.substr(mountPoint.size());
    const std::string inVolume = (mountRoot == "/" ? std::string() : mountRoot) + below;
    std::string path{*letter, ':'};
    if (inVolume.empty() || inVolume.front() != '/') {
        path += '\\';
    }
    for (char c : inVolume) {
        path += c == '/' ? '\\' : c;
    }
    return path;
}

} // namespace platform::linux_backend
