#include "platform/linux/mount_table.h"

#include <charconv>

namespace platform::linux_backend {

namespace {

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t position = 0;
    while (position < line.size()) {
        const std::size_t begin = line.find_first_not_of(' ', position);
        if (begin == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find(' ', begin), line.size());
        fields.push_back(line.substr(begin, end - begin));
        position = end;
    }
    return fields;
}

// The kernel writes blank, tab, line end and backslash in paths as three octal digits.
std::string Unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i > 3) {
            unsigned value = 0;
            const auto [end, error] =
                std::from_chars(field.data() + i + 1, field.data() + i + 4, value, 8);
            if (error == std::errc() && end == field.data() + i + 4 && value < 256) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool ParseDevice(std::string_view field, std::uint32_t& major, std::uint32_t& minor) {
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const char* end = field.data() + field.size();
    const auto first = std::from_chars(field.data(), field.data() + colon, major);
    const auto second = std::from_chars(field.data() + colon + 1, end, minor);
    return colon > 0 && first.ec == std::errc() && first.ptr == field.data() + colon &&
           second.ec == std::errc() && second.ptr == end && colon + 1 < field.size();
}

// True when `path` is `mountPoint` or lies below it.
bool Holds(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/") {
        return !path.empty() && path.front() == '/';
    }
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

} // namespace

std::optional<Mount> ParseMountLine(std::string_view line) {
    // id parent major:minor root mount-point options [optional fields...] - type source options
    const auto fields = Fields(line);
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") {
        ++separator;
    }
    if (fields.size() < 7 || separator + 2 >= fields.size()) {
        return std::nullopt;
    }
    Mount mount;
    if (!ParseDevice(fields[2], mount.major, mount.minor)) {
        return std::nullopt;
    }
    mount.root = Unescape(fields[3]);
    mount.mountPoint = Unescape(fields[4]);
    mount.fsType = Unescape(fields[separator + 1]);
    mount.source = Unescape(fields[separator + 2]);
    return mount;
}

std::vector<Mount> ParseMountTable(std::string_view text) {
    std::vector<Mount> mounts;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        if (auto mount = ParseMountLine(text.substr(position, end - position))) {
            mounts.push_back(std::move(*mount));
        }
        position = end + 1;
    }
    return mounts;
}

std::optional<Mount> VolumeMount(const std::vector<Mount>& mounts, std::uint32_t major,
                                 std::uint32_t minor) {
    std::optional<Mount> found;
    for (const Mount& mount : mounts) {
        if (mount.major == major && mount.minor == minor && mount.root == "/") {
            found = mount;
        }
    }
    return found;
}

std::optional<Mount> MountHolding(const std::vector<Mount>& mounts, const std::string& path) {
    std::optional<Mount> found;
    for (const Mount& mount : mounts) {
        if (Holds(mount.mountPoint, path) &&
            (!found || mount.mountPoint.size() >= found->mountPoint.size())) {
            found = mount;
        }
    }
    return found;
}

} // namespace platform::linux_backend
