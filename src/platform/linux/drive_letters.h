#pragma once
// The drive letters of a Linux machine. Each CD-ROM block device gets a letter from D: on, the
// first time a scan sees it, and keeps it for the life of the process under its identity (its
// USB port path for a USB device), so that the stick keeps its letter when it comes back from a
// reboot under another node name. A device that has gone keeps its letter reserved; a scan lists
// only the devices present. Within one scan, new devices are lettered in the order of their
// identities, so that the same machine gives the same letters on every start.

#include "platform/linux/block_device.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::linux_backend {

inline constexpr char kFirstDriveLetter = 'D';
inline constexpr char kLastDriveLetter = 'Z';

struct LetteredDevice {
    char letter;
    BlockDevice device;
};

class DriveLetters {
  public:
    // The devices of one scan that are drives (CD-ROMs), lettered, in letter order. A device
    // beyond the last free letter is left out.
    std::vector<LetteredDevice> assign(const std::vector<BlockDevice>& scan);
    // The identity a letter was given to; nothing for a letter never given.
    std::optional<std::string> identityOf(char letter) const;

  private:
    std::map<std::string, char> m_letters; // identity -> letter
};

// Upper-case drive letter, or nothing when `c` is no letter.
std::optional<char> DriveLetter(char c);

} // namespace platform::linux_backend
