#include "platform/sim/sim_drives.h"

#include "platform/sim/win_errors.h"

#include <algorithm>
#include <cstring>

namespace sim {

std::uint32_t SimDrives::logicalDriveStrings(std::span<char> buffer) {
    std::lock_guard lock(m_core.mutex);
    const std::uint64_t now = m_core.now();
    // "C:\" and its zero for each drive present; 26 letters at most.
    char list[26 * 4 + 1] = {};
    std::size_t length = 0;
    for (const DriveSpec& drive : m_bay.drives()) {
        if (m_bay.present(drive, now)) {
            list[length++] = drive.letter;
            list[length++] = ':';
            list[length++] = '\\';
            list[length++] = '\0';
        }
    }
    m_bay.countDriveList();

    // A failing call still leaves what it had written in the buffer, as far as it fits: only
    // its result says that the list is not to be used.
    const auto leaveRoots = [&] {
        std::memcpy(buffer.data(), list, std::min(buffer.size(), length + 1));
    };
    std::uint32_t result = 0;
    switch (m_mode) {
    case DriveListMode::Fail:
        leaveRoots();
        result = 0;
        break;
    case DriveListMode::Overflow:
        leaveRoots();
        result = static_cast<std::uint32_t>(std::max(buffer.size(), length) + 1);
        break;
    case DriveListMode::Ok:
        if (length + 1 > buffer.size()) {
            // Too small: the size it would need, with the list's final zero; nothing written.
            result = static_cast<std::uint32_t>(length + 1);
        } else {
            std::memcpy(buffer.data(), list, length + 1);
            result = static_cast<std::uint32_t>(length);
        }
        break;
    }
    m_core.record("drive_list", [&](auto& f) {
        f["size"] = buffer.size();
        std::string roots;
        for (std::size_t i = 0; i < length; i += 4) {
            roots += list[i];
        }
        f["present"] = roots;
        f["result"] = result;
    });
    return result;
}

std::uint32_t SimDrives::driveType(const char* root) {
    std::lock_guard lock(m_core.mutex);
    std::uint32_t type = win::kDriveNoRootDir;
    const bool shaped = root != nullptr && root[0] != '\0' && root[1] == ':' &&
                        (root[2] == '\0' || (root[2] == '\\' && root[3] == '\0'));
    if (shaped) {
        const DriveSpec* drive = m_bay.find(root[0]);
        if (drive != nullptr && m_bay.present(*drive, m_core.now())) {
            type = drive->type;
        }
    }
    m_core.record("drive_type", [&](auto& f) {
        f["root"] = root != nullptr ? root : "";
        f["type"] = type;
    });
    return type;
}

std::uint32_t SimDrives::moduleFileName(std::span<char> buffer) {
    std::lock_guard lock(m_core.mutex);
    std::uint32_t length = 0;
    if (!buffer.empty()) {
        // Cut to the buffer and always zero-terminated.
        length = static_cast<std::uint32_t>(std::min(m_modulePath.size(), buffer.size() - 1));
        std::memcpy(buffer.data(), m_modulePath.data(), length);
        buffer[length] = '\0';
    }
    m_core.record("module_file_name", [&](auto& f) {
        f["size"] = buffer.size();
        f["result"] = length;
    });
    return length;
}

} // namespace sim
