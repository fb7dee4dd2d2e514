#pragma once
// What the stick's function writes to FunctionFS's ep0 before the gadget can bind: its descriptors
// (one mass storage interface, SCSI transparent, Bulk-Only, a bulk IN and a bulk OUT endpoint, at
// full and high speed) and its strings. FunctionFS names the endpoint files in descriptor order:
// ep1 is bulk IN, ep2 bulk OUT.

#include <cstdint>
#include <vector>

namespace vstick {

inline constexpr std::uint8_t kBulkInAddress = 0x81;
inline constexpr std::uint8_t kBulkOutAddress = 0x02;
inline constexpr std::uint16_t kFullSpeedBulkPacket = 64;
inline constexpr std::uint16_t kHighSpeedBulkPacket = 512;
inline constexpr char kInterfaceName[] = "LM704 firmware volume";

std::vector<std::uint8_t> FunctionFsDescriptors();
std::vector<std::uint8_t> FunctionFsStrings();

} // namespace vstick
