#pragma once
// Ids that the code shares with the resource script (res/kestrun.rc).

#include <cstdint>

inline constexpr std::uint16_t IDD_ABOUTBOX = 100;
inline constexpr std::uint16_t IDD_MAIN = 102;
inline constexpr std::uint16_t IDD_MESSAGE = 134;
inline constexpr std::uint16_t IDR_MAINFRAME = 128;

inline constexpr unsigned IDS_ABOUTBOX = 101;
inline constexpr unsigned IDS_NO_STICK = 3001;
inline constexpr unsigned IDS_CANNOT_START = 3002;

// The message dialog's text control.
inline constexpr int IDC_MESSAGE = 1005;

// The about entry of the system menu.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;
// System commands carry flags in their low four bits.
inline constexpr unsigned kSysCommandMask = 0xFFF0;
inline constexpr unsigned SC_CLOSE = 0xF060;
