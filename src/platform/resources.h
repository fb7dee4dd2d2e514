#pragma once
// The running executable's own resources, found by type name and id. Loaded bytes stay valid,
// read-only and unchanged for the life of the process; they are never copied.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

enum class ResourceHandle : std::uintptr_t { None = 0 };

// Resource types given by ordinal.
inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtDialog = 5;
inline constexpr std::uint16_t kRtString = 6;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kRtVersion = 16;
inline constexpr std::uint16_t kRtManifest = 24;
inline constexpr std::uint16_t kLangEnglishUs = 0x0409;
inline constexpr std::uint16_t kLangJapanese = 0x0411;

class Resources {
  public:
    virtual ~Resources() = default;
    // Type names match without regard to case.
    virtual ResourceHandle find(std::string_view typeName, std::uint16_t id) = 0;
    // A resource whose type is an ordinal (kRtString ...). With a language, in that language only
    // (FindResourceEx); without, in the language the system's ordinary lookup picks for the user
    // (FindResource). A provider without such resources finds none.
    virtual ResourceHandle findOrdinal(std::uint16_t type, std::uint16_t id,
                                       std::optional<std::uint16_t> language) {
        (void)type;
        (void)id;
        (void)language;
        return ResourceHandle::None;
    }
    // The resource's bytes, with its exact length; nothing when it cannot be loaded.
    virtual std::optional<std::span<const std::uint8_t>> load(ResourceHandle resource) = 0;
};

} // namespace platform
