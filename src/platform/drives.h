#pragma once
// The machine's drives and the running program's own path.

#include <cstdint>
#include <span>

namespace platform {

inline constexpr std::uint32_t kDriveCdrom = 5; // DRIVE_CDROM

class Drives {
  public:
    virtual ~Drives() = default;
    // Writes the drive roots ("E:\"), each zero-terminated, the list ended by one more zero.
    // Returns the count of characters written without the final zero; a count larger than the
    // buffer is the size it would need (nothing usable written); 0 on failure.
    virtual std::uint32_t logicalDriveStrings(std::span<char> buffer) = 0;
    // The drive type code of a root.
    virtual std::uint32_t driveType(const char* root) = 0;
    // The running executable's full path, zero-terminated and cut to the buffer; the length.
    virtual std::uint32_t moduleFileName(std::span<char> buffer) = 0;
};

} // namespace platform
