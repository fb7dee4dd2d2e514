#include "platform/sim/drive_bay.h"

#include <cctype>

namespace sim {

const DriveSpec* DriveBay::find(char letter) const {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const DriveSpec& drive : m_drives) {
        if (drive.letter == upper) {
            return &drive;
        }
    }
    return nullptr;
}

bool DriveBay::present(const DriveSpec& drive, std::uint64_t nowMs) const {
    // A drive that shows up after N lists is plugged in right after the N-th was taken.
    return m_driveLists >= drive.visibleAfterScans && (!drive.stick || m_stick.onBus(nowMs));
}

} // namespace sim
