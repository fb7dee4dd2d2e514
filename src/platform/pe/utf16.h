#pragma once
// UTF-16LE texts of a version block turned into the narrow (UTF-8) text the tool works with.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform::pe {

// The text up to its first zero unit (or the end of `units`; an odd last byte is ignored).
// A surrogate without its partner becomes U+FFFD.
std::string Utf16LeToUtf8(std::span<const std::uint8_t> units);

// True when the UTF-16LE `key` equals the ASCII `name` without regard to the case of ASCII
// letters, as the system compares version block keys.
bool KeyEquals(std::span<const std::uint8_t> key, std::string_view name);

} // namespace platform::pe
