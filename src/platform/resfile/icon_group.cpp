#include "platform/resfile/icon_group.h"

#include "platform/resfile/byte_reader.h"

namespace platform::resfile {

namespace {

constexpr std::size_t kDirectoryHeader = 6; // reserved, type, count
constexpr std::size_t kFileEntry = 16;      // the .ico directory entry
constexpr std::uint16_t kIconType = 1;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

} // namespace

std::optional<std::vector<std::uint8_t>> BuildIconFile(Resources& resources,
                                                       std::uint16_t groupId) {
    const auto group = resources.load(resources.findOrdinal(kRtGroupIcon, groupId, std::nullopt));
    if (!group) {
        return std::nullopt;
    }
    ByteReader reader(*group);
    reader.u16();
    const std::uint16_t type = reader.u16();
    const std::uint16_t count = reader.u16();
    if (!reader.ok() || type != kIconType) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> directory;
    std::vector<std::uint8_t> images;
    Put16(directory, 0);
    Put16(directory, kIconType);
    Put16(directory, count);
    const std::size_t imagesStart = kDirectoryHeader + std::size_t{count} * kFileEntry;
    for (std::uint16_t i = 0; i < count; ++i) {
        // Width, height, colours, reserved, planes, bits per pixel, size, then the RT_ICON id in
        // place of the file's offset.
        const auto fixed = reader.bytes(8);
        reader.u32();
        const std::uint16_t imageId = reader.u16();
        if (!reader.ok()) {
            return std::nullopt;
        }
        const auto image = resources.load(resources.findOrdinal(kRtIcon, imageId, std::nullopt));
        if (!image) {
            return std::nullopt;
        }
        directory.insert(directory.end(), fixed.begin(), fixed.end());
        Put32(directory, static_cast<std::uint32_t>(image->size()));
        Put32(directory, static_cast<std::uint32_t>(imagesStart + images.size()));
        images.insert(images.end(), image->begin(), image->end());
    }
    directory.insert(directory.end(), images.begin(), images.end());
    return directory;
}

} // namespace platform::resfile
