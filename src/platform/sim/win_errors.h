#pragma once
// The Windows system error codes and drive type codes the simulated machine answers with, so
// that a failure looks to the tool exactly as it would on a real PC.

#include <cstdint>

namespace sim::win {

inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotReady = 21;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

// The three failures of a storage property query that the tool tolerates.
inline bool IsToleratedQueryError(std::uint32_t error) {
    return error == kErrorMoreData || error == kErrorInvalidFunction || error == kErrorNotSupported;
}

inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdrom = 5;

inline constexpr std::uint32_t kBusScsi = 1;
inline constexpr std::uint32_t kBusAta = 3;
inline constexpr std::uint32_t kBusUsb = 7;
inline constexpr std::uint32_t kBusSata = 11;

} // namespace sim::win
