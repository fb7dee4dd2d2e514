#pragma once
// A file's version information: the block is opaque to the tool, which only sizes it, reads it
// and asks it for values.

#include <cstdint>
#include <optional>
#include <span>

namespace platform {

class VersionInfo {
  public:
    virtual ~VersionInfo() = default;
    // Size in bytes of the file's version block; 0 when the file is missing, unreadable or has
    // none.
    virtual std::uint32_t size(const char* path) = 0;
    // Fills `block` (of the size reported) with the version block; false on failure.
    virtual bool read(const char* path, std::span<std::uint8_t> block) = 0;
    // A value of the block: for "\StringFileInfo\llllcccc\Name" the narrow text with its
    // terminating zero, for "\" the fixed file information. Points into `block`.
    virtual std::optional<std::span<const std::uint8_t>>
    queryValue(std::span<const std::uint8_t> block, const char* subBlock) = 0;
};

} // namespace platform
