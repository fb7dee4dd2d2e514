#include "platform/pe/utf16.h"

namespace platform::pe {

namespace {

void PutUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char AsciiLower(std::uint32_t c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

} // namespace

std::string Utf16LeToUtf8(std::span<const std::uint8_t> units) {
    constexpr std::uint32_t kReplacement = 0xFFFD;
    std::string out;
    const std::size_t count = units.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t unit = units[2 * i] | std::uint32_t{units[2 * i + 1]} << 8;
        if (unit == 0) {
            break;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            const std::uint32_t next = units[2 * i + 2] | std::uint32_t{units[2 * i + 3]} << 8;
            if (next >= 0xDC00 && next <= 0xDFFF) {
                PutUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        PutUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    return out;
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
