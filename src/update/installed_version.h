#pragma once
// The version of the stick's resident application, read from its drive.

#include <cstddef>
#include <span>

namespace platform {
class VersionInfo;
}

inline constexpr char kResidentApplication[] = "QivarGUIMain.exe";
inline constexpr std::size_t kVersionTextSize = 256;

// The major version of QivarGUIMain.exe on the drive; -1 no version block, -3 block unreadable,
// -4 no ProductVersion for language 0 / code page 1200, -5 text without a comma. The text goes
// into `text` (when given), cut to fit and always zero-terminated.
int ReadInstalledVersion(platform::VersionInfo& versionInfo, char drive, std::span<char> text);
