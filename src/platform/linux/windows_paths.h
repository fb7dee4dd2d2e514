#pragma once
// The Windows-shaped paths the tool's logic builds and reads, taken apart for the Linux backend:
// device paths "\\.\E:", files on a drive "E:\QivarGUIMain.exe", and the program's own path,
// which names its drive when the program runs from a lettered drive's volume.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_backend {

// The drive letter of "\\.\E:" (either case); nothing for any other text.
std::optional<char> LetterOfDevicePath(std::string_view path);

struct DriveFilePath {
    char letter;
    std::vector<std::string> components; // the names below the drive's root, in order
};

// "E:\dir\name" taken apart; nothing for a path without a drive letter, or one that names the
// root itself or climbs with "..".
std::optional<DriveFilePath> ParseDriveFilePath(std::string_view path);

// The program's path as the logic sees it: "E:\dir\kestrun" when the program lies on the
// volume of drive E:, mounted at `mountPoint` with the volume's directory `mountRoot` there
// ("/" when the whole volume is mounted); the POSIX path itself when there is no letter.
std::string ProgramPathFor(const std::string& programPath, std::optional<char> letter,
                           const std::string& mountPoint, const std::string& mountRoot);

} // namespace platform::linux_backend
