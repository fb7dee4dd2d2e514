#include "platform/sim/version_block.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace sim {

namespace {

// Marks a block as the simulator's, so that bytes of any other origin find nothing.
constexpr std::array<std::uint8_t, 4> kBlockMagic = {'V', 'S', 'I', 'M'};
// Each entry: name length (2), padding (2), value length (4), name, value; name and value
// start on 4-byte boundaries, as the values of a real version block do.
constexpr std::size_t kEntryHeader = 8;

std::size_t PadTo4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint32_t GetLe(std::span<const std::uint8_t> in, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    }
    return value;
}

bool SameName(std::span<const std::uint8_t> stored, std::string_view wanted) {
    return stored.size() == wanted.size() &&
           std::equal(stored.begin(), stored.end(), wanted.begin(), [](std::uint8_t a, char b) {
               return std::tolower(a) == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

bool ParseDottedVersion(std::string_view text, FileVersion& version) {
    std::size_t position = 0;
    for (std::size_t part = 0; part < version.size(); ++part) {
        if (part > 0) {
            if (position >= text.size() || text[position] != '.') {
                return false;
            }
            ++position;
        }
        unsigned value = 0;
        const char* begin = text.data() + position;
        const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
        if (ec != std::errc() || end == begin || value > 0xFFFF) {
            return false;
        }
        version[part] = static_cast<std::uint16_t>(value);
        position = static_cast<std::size_t>(end - text.data());
    }
    return position == text.size();
}

FileVersion LeadingNumbers(std::string_view text) {
    FileVersion version{};
    std::size_t part = 0;
    std::size_t position = 0;
    while (part < version.size() && position < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[position]))) {
            ++position;
            continue;
        }
        unsigned value = 0;
        const auto [end, ec] =
            std::from_chars(text.data() + position, text.data() + text.size(), value);
        version[part++] = ec == std::errc() ? static_cast<std::uint16_t>(value) : 0xFFFF;
        position = static_cast<std::size_t>(end - text.data());
    }
    return version;
}

std::array<std::uint8_t, kFixedFileInfoSize> FixedFileInfo(const FileVersion& version) {
    const std::uint32_t ms = std::uint32_t{version[0]} << 16 | version[1];
    const std::uint32_t ls = std::uint32_t{version[2]} << 16 | version[3];
    const std::uint32_t fields[13] = {
        kFixedFileInfoSignature,
        0x00010000, // structure version 1.0
        ms,         // file version
        ls,
        ms, // product version
        ls,
        0x3F,    // file flags mask
        0,       // file flags
        0x40004, // VOS_NT_WINDOWS32
        1,       // VFT_APP
        0,       // subtype
        0,       // date
        0,
    };
    std::array<std::uint8_t, kFixedFileInfoSize> bytes{};
    for (std::size_t i = 0; i < 13; ++i) {
        for (std::size_t b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<std::uint8_t>(fields[i] >> (8 * b));
        }
    }
    return bytes;
}

void VersionBlockBuilder::add(std::string_view name, std::span<const std::uint8_t> value) {
    if (m_bytes.empty()) {
        m_bytes.assign(kBlockMagic.begin(), kBlockMagic.end());
    }
    PutLe(m_bytes, static_cast<std::uint32_t>(name.size()), 2);
    PutLe(m_bytes, 0, 2);
    PutLe(m_bytes, static_cast<std::uint32_t>(value.size()), 4);
    m_bytes.insert(m_bytes.end(), name.begin(), name.end());
    m_bytes.resize(PadTo4(m_bytes.size()), 0);
    m_bytes.insert(m_bytes.end(), value.begin(), value.end());
    m_bytes.resize(PadTo4(m_bytes.size()), 0);
}

void VersionBlockBuilder::addText(std::string_view name, std::string_view text) {
    std::vector<std::uint8_t> value(text.begin(), text.end());
    value.push_back(0);
    add(name, value);
}

std::optional<std::span<const std::uint8_t>> FindVersionValue(std::span<const std::uint8_t> block,
                                                              std::string_view name) {
    if (block.size() < kBlockMagic.size() ||
        !std::equal(kBlockMagic.begin(), kBlockMagic.end(), block.begin())) {
        return std::nullopt;
    }
    std::size_t at = kBlockMagic.size();
    while (block.size() - at >= kEntryHeader) {
        const std::size_t nameLength = GetLe(block, at, 2);
        const std::size_t valueLength = GetLe(block, at + 4, 4);
        const std::size_t nameAt = at + kEntryHeader;
        const std::size_t valueAt = PadTo4(nameAt + nameLength);
        if (valueAt > block.size() || block.size() - valueAt < valueLength) {
            return std::nullopt;
        }
        if (SameName(block.subspan(nameAt, nameLength), name)) {
            return block.subspan(valueAt, valueLength);
        }
        at = PadTo4(valueAt + valueLength);
        if (at > block.size()) {
            break;
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> BuildVersionBlock(const FileVersion& fileVersion,
                                            const std::optional<std::string>& productVersion,
                                            std::string_view translation) {
    VersionBlockBuilder builder;
    builder.add("\\", FixedFileInfo(fileVersion));
    if (productVersion) {
        std::string name = "\\StringFileInfo\\";
        name += translation;
        name += "\\ProductVersion";
        builder.addText(name, *productVersion);
        unsigned long code = 0;
        std::from_chars(translation.data(), translation.data() + translation.size(), code, 16);
        const std::uint16_t language = static_cast<std::uint16_t>(code >> 16);
        const std::uint16_t codePage = static_cast<std::uint16_t>(code);
        const std::uint8_t pair[4] = {
            static_cast<std::uint8_t>(language), static_cast<std::uint8_t>(language >> 8),
            static_cast<std::uint8_t>(codePage), static_cast<std::uint8_t>(codePage >> 8)};
        builder.add("\\VarFileInfo\\Translation", pair);
    }
    return builder.bytes();
}

} // namespace sim
