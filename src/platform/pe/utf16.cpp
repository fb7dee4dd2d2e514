#include "platform/pe/utf16.h"

#include "platform/text_encoding.h"

namespace platform::pe {

namespace {

char AsciiLower(std::uint32_t c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

} // namespace

std::string Utf16LeToUtf8(std::span<const std::uint8_t> units) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        const auto unit = static_cast<char16_t>(units[i] | units[i + 1] << 8);
        if (unit == 0) {
            break;
        }
        text += unit;
    }
    return NarrowFromUtf16(text);
}

bool KeyEquals(std::span<const std::uint8_t> key, std::string_view name) {
    if (key.size() != name.size() * 2) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint32_t unit = key[2 * i] | std::uint32_t{key[2 * i + 1]} << 8;
        if (unit >= 0x80 || AsciiLower(unit) != AsciiLower(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace platform::pe
