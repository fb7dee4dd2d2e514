#include "res_file_builder.h"

namespace testing_res {

namespace {

void Append16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Append32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    Append16(bytes, static_cast<std::uint16_t>(value));
    Append16(bytes, static_cast<std::uint16_t>(value >> 16));
}

void AppendKey(std::vector<std::uint8_t>& bytes, const Key& key) {
    if (const auto* ordinal = std::get_if<std::uint16_t>(&key)) {
        Append16(bytes, 0xFFFF);
        Append16(bytes, *ordinal);
        return;
    }
    for (const char16_t unit : std::get<std::u16string>(key)) {
        Append16(bytes, unit);
    }
    Append16(bytes, 0);
}

void PadToFour(std::vector<std::uint8_t>& bytes) {
    while (bytes.size() % 4 != 0) {
        bytes.push_back(0);
    }
}

void AppendEntry(std::vector<std::uint8_t>& bytes, const Resource& resource) {
    const std::size_t start = bytes.size();
    Append32(bytes, static_cast<std::uint32_t>(resource.data.size()));
    Append32(bytes, 0); // header size, known once the names are written
    AppendKey(bytes, resource.type);
    AppendKey(bytes, resource.name);
    PadToFour(bytes);
    Append32(bytes, 0);      // DataVersion
    Append16(bytes, 0x1030); // MemoryFlags, as windres writes them
    Append16(bytes, resource.language);
    Append32(bytes, 0); // Version
    Append32(bytes, 0); // Characteristics
    Put32(bytes, start + kHeaderSizeField, static_cast<std::uint32_t>(bytes.size() - start));
    bytes.insert(bytes.end(), resource.data.begin(), resource.data.end());
    PadToFour(bytes);
}

} // namespace

std::vector<std::uint8_t> BuildResFile(const std::vector<Resource>& resources) {
    std::vector<std::uint8_t> bytes;
    AppendEntry(bytes, Resource{std::uint16_t{0}, std::uint16_t{0}, 0, {}});
    // The empty entry has all-zero fixed fields, memory flags included.
    Put32(bytes, 20, 0);
    for (const Resource& resource : resources) {
        AppendEntry(bytes, resource);
    }
    return bytes;
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | bytes.at(offset + i);
    }
    return value;
}

} // namespace testing_res
