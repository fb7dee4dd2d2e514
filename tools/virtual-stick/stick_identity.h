#pragma once
// Who the virtual stick says it is, on USB and in its SCSI inquiry data. The USB ids are the
// pid.codes test pair: the stick's own are of no concern to the tool, which knows the stick by
// its inquiry texts.

#include <cstdint>

namespace vstick {

inline constexpr std::uint16_t kUsbVendorId = 0x1209;
inline constexpr std::uint16_t kUsbProductId = 0x0001;
inline constexpr std::uint16_t kUsbDeviceRelease = 0x0100;
inline constexpr char kManufacturer[] = "KORVALIN";
inline constexpr char kProduct[] = "QX-LM704";
inline constexpr char kSerialNumber[] = "KV0704000001";

// Inquiry texts, blank-filled to their fields' widths.
inline constexpr char kInquiryVendor[] = "KORVALIN";          // 8
inline constexpr char kInquiryProduct[] = "QX-LM704        "; // 16
inline constexpr char kInquiryRevision[] = "1.00";            // 4

} // namespace vstick
