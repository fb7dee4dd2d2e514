#include "platform/pe/pe_version_resource.h"

#include "platform/pe/le_bytes.h"

#include <vector>

namespace platform::pe {

namespace {

constexpr std::size_t kNewHeaderOffsetField = 0x3C; // e_lfanew
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kVersionInfoId = 1; // VS_VERSION_INFO
constexpr std::uint32_t kLanguageNeutral = 0;
constexpr std::uint32_t kLanguageEnglishUs = 1033;

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

// The file's bytes for an address range of the loaded image; only bytes the file holds count.
std::optional<std::span<const std::uint8_t>> MapRange(std::span<const std::uint8_t> file,
                                                      const std::vector<Section>& sections,
                                                      std::uint32_t rva, std::uint32_t length) {
    for (const Section& section : sections) {
        if (rva < section.virtualAddress) {
            continue;
        }
        const std::uint32_t into = rva - section.virtualAddress;
        if (into >= section.rawSize || section.rawSize - into < length) {
            continue;
        }
        const std::size_t offset = std::size_t{section.rawOffset} + into;
        if (!Fits(file, offset, length)) {
            return std::nullopt;
        }
        return file.subspan(offset, length);
    }
    return std::nullopt;
}

// The section's bytes from `rva` to the end of the section's data in the file.
std::optional<std::span<const std::uint8_t>> MapToSectionEnd(std::span<const std::uint8_t> file,
                                                             const std::vector<Section>& sections,
                                                             std::uint32_t rva) {
    for (const Section& section : sections) {
        if (rva < section.virtualAddress || rva - section.virtualAddress >= section.rawSize) {
            continue;
        }
        const std::uint32_t into = rva - section.virtualAddress;
        const std::size_t offset = std::size_t{section.rawOffset} + into;
        if (offset >= file.size()) {
            return std::nullopt;
        }
        const std::size_t length =
            std::min<std::size_t>(section.rawSize - into, file.size() - offset);
        return file.subspan(offset, length);
    }
    return std::nullopt;
}

struct Headers {
    std::vector<Section> sections;
    std::uint32_t resourceRva = 0;
    std::uint32_t resourceSize = 0;
};

std::optional<Headers> ReadHeaders(std::span<const std::uint8_t> file) {
    if (!Fits(file, 0, 2) || file[0] != 'M' || file[1] != 'Z') {
        return std::nullopt;
    }
    const auto peOffset = ReadU32(file, kNewHeaderOffsetField);
    if (!peOffset || !Fits(file, *peOffset, 4 + kCoffHeaderSize)) {
        return std::nullopt;
    }
    const std::size_t pe = *peOffset;
    if (file[pe] != 'P' || file[pe + 1] != 'E' || file[pe + 2] != 0 || file[pe + 3] != 0) {
        return std::nullopt;
    }
    const std::size_t coff = pe + 4;
    const std::uint16_t sectionCount = *ReadU16(file, coff + 2);
    const std::uint16_t optionalSize = *ReadU16(file, coff + 16);
    const std::size_t optional = coff + kCoffHeaderSize;
    if (!Fits(file, optional, optionalSize)) {
        return std::nullopt;
    }
    const auto header = file.subspan(optional, optionalSize);
    const auto magic = ReadU16(header, 0);
    std::size_t countField = 0;
    if (magic == kPe32Magic) {
        countField = 92;
    } else if (magic == kPe32PlusMagic) {
        countField = 108;
    } else {
        return std::nullopt;
    }
    const auto directoryCount = ReadU32(header, countField);
    if (!directoryCount || *directoryCount <= kResourceDirectoryIndex) {
        return std::nullopt;
    }
    const std::size_t resourceField = countField + 4 + kResourceDirectoryIndex * 8;
    const auto resourceRva = ReadU32(header, resourceField);
    const auto resourceSize = ReadU32(header, resourceField + 4);
    if (!resourceRva || !resourceSize || *resourceRva == 0) {
        return std::nullopt;
    }

    Headers headers;
    headers.resourceRva = *resourceRva;
    headers.resourceSize = *resourceSize;
    const std::size_t table = optional + optionalSize;
    if (!Fits(file, table, std::size_t{sectionCount} * kSectionHeaderSize)) {
        return std::nullopt;
    }
    headers.sections.reserve(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t entry = table + i * kSectionHeaderSize;
        headers.sections.push_back(Section{*ReadU32(file, entry + 12), *ReadU32(file, entry + 16),
                                           *ReadU32(file, entry + 20)});
    }
    return headers;
}

struct DirectoryEntry {
    std::uint32_t id;     // for an entry named by a string: kHighBit set
    std::uint32_t target; // offset within the resource section; kHighBit: a subdirectory
};

// The entries of the directory at `offset` within the resource section.
std::optional<std::vector<DirectoryEntry>> ReadDirectory(std::span<const std::uint8_t> section,
                                                         std::uint32_t offset) {
    if (!Fits(section, offset, kDirectoryHeaderSize)) {
        return std::nullopt;
    }
    const std::size_t count =
        std::size_t{*ReadU16(section, offset + 12)} + *ReadU16(section, offset + 14);
    const std::size_t first = std::size_t{offset} + kDirectoryHeaderSize;
    if (!Fits(section, first, count * kDirectoryEntrySize)) {
        return std::nullopt;
    }
    std::vector<DirectoryEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = first + i * kDirectoryEntrySize;
        entries.push_back(DirectoryEntry{*ReadU32(section, at), *ReadU32(section, at + 4)});
    }
    return entries;
}

// The entry of `entries` with the first id of `preferred` present, else the first entry; only
// entries of the wanted kind (subdirectory or data) count.
std::optional<DirectoryEntry> Choose(const std::vector<DirectoryEntry>& entries,
                                     std::initializer_list<std::uint32_t> preferred,
                                     bool subdirectory) {
    const auto usable = [&](const DirectoryEntry& entry) {
        return ((entry.target & kHighBit) != 0) == subdirectory;
    };
    for (std::uint32_t id : preferred) {
        for (const DirectoryEntry& entry : entries) {
            if (entry.id == id && usable(entry)) {
                return entry;
            }
        }
    }
    for (const DirectoryEntry& entry : entries) {
        if (usable(entry)) {
            return entry;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::span<const std::uint8_t>>
FindVersionResource(std::span<const std::uint8_t> file) {
    const auto headers = ReadHeaders(file);
    if (!headers) {
        return std::nullopt;
    }
    // The directory tree lives in the resource section; its offsets are relative to its start.
    const auto section = MapToSectionEnd(file, headers->sections, headers->resourceRva);
    if (!section) {
        return std::nullopt;
    }
    // Three fixed levels: type, name, language. No level is entered twice, so a tree whose
    // offsets loop back cannot make the walk loop.
    const auto types = ReadDirectory(*section, 0);
    if (!types) {
        return std::nullopt;
    }
    std::optional<DirectoryEntry> type;
    for (const DirectoryEntry& entry : *types) {
        if (entry.id == kRtVersion && (entry.target & kHighBit) != 0) {
            type = entry;
            break;
        }
    }
    if (!type) {
        return std::nullopt;
    }
    const auto names = ReadDirectory(*section, type->target & ~kHighBit);
    if (!names) {
        return std::nullopt;
    }
    const auto name = Choose(*names, {kVersionInfoId}, true);
    if (!name) {
        return std::nullopt;
    }
    const auto languages = ReadDirectory(*section, name->target & ~kHighBit);
    if (!languages) {
        return std::nullopt;
    }
    const auto language = Choose(*languages, {kLanguageNeutral, kLanguageEnglishUs}, false);
    if (!language || !Fits(*section, language->target, kDataEntrySize)) {
        return std::nullopt;
    }
    const std::uint32_t dataRva = *ReadU32(*section, language->target);
    const std::uint32_t dataSize = *ReadU32(*section, language->target + 4);
    return MapRange(file, headers->sections, dataRva, dataSize);
}

} // namespace platform::pe
