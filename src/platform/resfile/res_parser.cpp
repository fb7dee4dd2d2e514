#include "platform/resfile/res_parser.h"

namespace platform::resfile {

namespace {

// DataSize, HeaderSize, then the type and the name, then the fixed fields below.
constexpr std::size_t kSizesLength = 8;
// DataVersion, MemoryFlags, LanguageId, Version, Characteristics.
constexpr std::size_t kFixedFieldsLength = 16;
constexpr std::size_t kLanguageOffset = 6; // within the fixed fields
// An entry whose type and name are both ordinals; the file's first entry is one of these.
constexpr std::size_t kSmallestHeader = kSizesLength + 4 + 4 + kFixedFieldsLength;
constexpr std::uint16_t kStringAbsent = 0xFFFF; // marks an ordinal instead of a string

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint32_t{Read16(bytes, offset)} | std::uint32_t{Read16(bytes, offset + 2)} << 16;
}

std::size_t AlignToFour(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

// A type or name at `offset` within `header`; advances `offset` past it.
std::optional<ResKey> ParseKey(std::span<const std::uint8_t> header, std::size_t& offset) {
    if (header.size() - offset < 2) {
        return std::nullopt;
    }
    if (Read16(header, offset) == kStringAbsent) {
        if (header.size() - offset < 4) {
            return std::nullopt;
        }
        const ResKey key{Read16(header, offset + 2), {}};
        offset += 4;
        return key;
    }
    for (std::size_t end = offset; header.size() - end >= 2; end += 2) {
        if (Read16(header, end) == 0) {
            const ResKey key{std::nullopt, header.subspan(offset, end - offset)};
            offset = end + 2;
            return key;
        }
    }
    return std::nullopt; // the string runs past the header
}

// The entry at `offset`; advances `offset` to the next one.
std::optional<ResEntry> ParseEntry(std::span<const std::uint8_t> file, std::size_t& offset) {
    const std::size_t remaining = file.size() - offset;
    if (remaining < kSizesLength) {
        return std::nullopt;
    }
    const std::uint32_t dataSize = Read32(file, offset);
    const std::uint32_t headerSize = Read32(file, offset + 4);
    if (headerSize < kSmallestHeader || headerSize > remaining ||
        dataSize > remaining - headerSize) {
        return std::nullopt;
    }
    const auto header = file.subspan(offset, headerSize);
    std::size_t field = kSizesLength;
    const auto type = ParseKey(header, field);
    if (!type) {
        return std::nullopt;
    }
    const auto name = ParseKey(header, field);
    // The fixed fields start on a four-byte boundary and end the header exactly.
    if (!name || AlignToFour(field) + kFixedFieldsLength != headerSize) {
        return std::nullopt;
    }
    const std::size_t fixedFields = AlignToFour(field);
    ResEntry entry{*type, *name, Read16(header, fixedFields + kLanguageOffset),
                   file.subspan(offset + headerSize, dataSize)};
    // Past the file's end when the last entry's data ends it without padding.
    offset = AlignToFour(offset + headerSize + dataSize);
    return entry;
}

bool IsEmptyEntry(const ResEntry& entry) {
    return entry.type.matches(0) && entry.name.matches(0) && entry.data.empty();
}

} // namespace

std::optional<std::vector<ResEntry>> ParseResFile(std::span<const std::uint8_t> file) {
    std::size_t offset = 0;
    const auto first = ParseEntry(file, offset);
    if (!first || !IsEmptyEntry(*first)) {
        return std::nullopt; // not a .res file
    }
    std::vector<ResEntry> entries;
    while (offset < file.size()) {
        auto entry = ParseEntry(file, offset);
        if (!entry) {
            return std::nullopt;
        }
        entries.push_back(*entry);
    }
    return entries;
}

} // namespace platform::resfile
