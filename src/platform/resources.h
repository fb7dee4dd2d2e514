#pragma once
// The running executable's own resources, found by type name and id. Loaded bytes stay valid,
// read-only and unchanged for the life of the process; they are never copied.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

enum class ResourceHandle : std::uintptr_t { None = 0 };

class Resources {
  public:
    virtual ~Resources() = default;
    // Type names match without regard to case.
    virtual ResourceHandle find(std::string_view typeName, std::uint16_t id) = 0;
    // The resource's bytes, with its exact length; nothing when it cannot be loaded.
    virtual std::optional<std::span<const std::uint8_t>> load(ResourceHandle resource) = 0;
};

} // namespace platform
