#include "platform/linux/drive_letters.h"

#include <algorithm>

namespace platform::linux_backend {

std::optional<char> DriveLetter(char c) {
    if (c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    if (c >= 'A' && c <= 'Z') {
        return c;
    }
    return std::nullopt;
}

std::vector<LetteredDevice> DriveLetters::assign(const std::vector<BlockDevice>& scan) {
    std::vector<const BlockDevice*> drives;
    for (const BlockDevice& device : scan) {
        if (device.cdrom) {
            drives.push_back(&device);
        }
    }
    std::sort(drives.begin(), drives.end(),
              [](const BlockDevice* a, const BlockDevice* b) { return a->identity < b->identity; });
    std::vector<LetteredDevice> lettered;
    for (const BlockDevice* device : drives) {
        auto known = m_letters.find(device->identity);
        if (known == m_letters.end()) {
            std::optional<char> free;
            for (char letter = kFirstDriveLetter; letter <= kLastDriveLetter && !free; ++letter) {
                if (std::none_of(m_letters.begin(), m_letters.end(),
                                 [&](const auto& entry) { return entry.second == letter; })) {
                    free = letter;
                }
            }
            if (!free) {
                continue;
            }
            known = m_letters.emplace(device->identity, *free).first;
        }
        // Two nodes of one identity in one scan (a stick half gone, half back): the first wins.
        if (std::none_of(lettered.begin(), lettered.end(),
                         [&](const LetteredDevice& d) { return d.letter == known->second; })) {
            lettered.push_back(LetteredDevice{known->second, *device});
        }
    }
    std::sort(lettered.begin(), lettered.end(),
              [](const LetteredDevice& a, const LetteredDevice& b) { return a.letter < b.letter; });
    return lettered;
}

std::optional<std::string> DriveLetters::identityOf(char letter) const {
    for (const auto& [identity, given] : m_letters) {
        if (given == letter) {
            return identity;
        }
    }
    return std::nullopt;
}

} // namespace platform::linux_backend
