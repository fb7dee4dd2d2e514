#pragma once
// The machine's drives and whether each one is there: a drive may turn up only after some drive
// lists have been taken, and the stick's drive is gone while the stick is off the bus.
// Not thread-safe: used under the machine's lock.

#include "platform/sim/scenario.h"
#include "platform/sim/stick_model.h"

#include <cstdint>
#include <vector>

namespace sim {

class DriveBay {
  public:
    DriveBay(std::vector<DriveSpec> drives, StickModel& stick)
        : m_drives(std::move(drives)), m_stick(stick) {}

    const std::vector<DriveSpec>& drives() const { return m_drives; }
    // The drive of that letter (either case), present or not; null when the machine has none.
    const DriveSpec* find(char letter) const;
    bool present(const DriveSpec& drive, std::uint64_t nowMs) const;

    std::uint32_t driveListsTaken() const { return m_driveLists; }
    void countDriveList() { ++m_driveLists; }

    StickModel& stick() { return m_stick; }
    const StickModel& stick() const { return m_stick; }

  private:
    std::vector<DriveSpec> m_drives;
    StickModel& m_stick;
    std::uint32_t m_driveLists = 0;
};

} // namespace sim
