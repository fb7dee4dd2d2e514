#pragma once
// Finding the stick among the machine's drives: the tool's own drive first, then repeated scans.

#include <cstddef>
#include <cstdint>
#include <span>

class CKestrunDlg;
namespace platform {
struct Platform;
}

inline constexpr char kStickVendor[] = "KORVALIN";
inline constexpr char kStickProduct[] = "QX-LM704";
inline constexpr int kMaxScans = 10;
inline constexpr std::uint32_t kScanPauseMs = 200;

// 0 with the root of the tool's own drive ("E:\") in `root`; -1 without a buffer.
int GetModuleDrive(platform::Platform& system, std::span<char> root);
bool IsStickDevice(platform::Platform& system, const char* root);
// 1 when the drive holds the stick, else 0.
int ProbeStickDrive(const char* root, CKestrunDlg& dlg);
// 0 with the letter stored; -1 without an output place; -3 when no drive holds the stick.
int FindStickDrive(char* letter, CKestrunDlg& dlg);
// Sets m_chDrive to the stick's letter, or leaves it 0.
void LocateStick(CKestrunDlg& dlg);

// Formats "\\.\%c:" into `path`.
void FormatDevicePath(std::span<char> path, char letter);
