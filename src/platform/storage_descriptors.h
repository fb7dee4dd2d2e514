#pragma once
// Byte layouts of the storage descriptors that Storage::queryProperty delivers (the system's
// STORAGE_DESCRIPTOR_HEADER, STORAGE_ADAPTER_DESCRIPTOR and STORAGE_DEVICE_DESCRIPTOR). All
// fields are little-endian. Backends that do not get them from the system build them here.

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::descriptor {

inline constexpr std::size_t kHeaderSize = 8; // Version, Size

namespace adapter {
inline constexpr std::size_t kMaximumTransferLength = 8;
inline constexpr std::size_t kMaximumPhysicalPages = 12;
inline constexpr std::size_t kAlignmentMask = 16;
inline constexpr std::size_t kFieldsEnd = 20; // the fields the tool reads end here
inline constexpr std::size_t kSize = 32;      // the full descriptor as the system writes it
} // namespace adapter

namespace device {
inline constexpr std::size_t kDeviceType = 8;
inline constexpr std::size_t kRemovableMedia = 10;
inline constexpr std::size_t kVendorIdOffset = 12;
inline constexpr std::size_t kProductIdOffset = 16;
inline constexpr std::size_t kProductRevisionOffset = 20;
inline constexpr std::size_t kSerialNumberOffset = 24;
inline constexpr std::size_t kBusType = 28;
inline constexpr std::size_t kFixedSize = 40; // identifier texts follow from here
} // namespace device

inline constexpr std::uint32_t kBusTypeUsb = 7;

inline std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

inline void writeU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace platform::descriptor
