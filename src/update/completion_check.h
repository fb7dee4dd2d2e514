#pragma once
// After a write: wait for the stick's verdict, show it, and count down the stick's reboot.

#include <cstdint>

class CKestrunDlg;

inline constexpr std::uint32_t kFirstQueryPauseMs = 300;
inline constexpr int kNoAnswerCountdown = 25;
inline constexpr int kStatusWaitPasses = 120;
inline constexpr int kRebootCountdown = 20;
inline constexpr std::uint32_t kCheckTimeout = 1;

void CheckFirmwareStatus(CKestrunDlg& dlg);
