#include "kernel_check.h"

#include "byte_fields.h"
#include "crc32.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace payload {

namespace {

std::string Hex(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// The header's CRC is taken over the header with its own field set to zero.
std::uint32_t HeaderCrc(std::span<const std::uint8_t> image) {
    std::array<std::uint8_t, kUBootHeaderSize> header{};
    std::copy_n(image.begin(), kUBootHeaderSize, header.begin());
    std::fill_n(header.begin() + kUBootHeaderCrcOffset, 4, std::uint8_t{0});
    return Crc32(header);
}

} // namespace

std::optional<std::string> FindKernelFault(std::span<const std::uint8_t> image) {
    if (image.size() < kUBootHeaderSize) {
        return "the file is shorter than the 64-byte U-Boot header";
    }
    const std::uint32_t magic = ReadBigEndian32(image, kUBootMagicOffset);
    if (magic != kUBootMagic) {
        return "the magic is " + Hex(magic) + " instead of U-Boot's " + Hex(kUBootMagic);
    }
    const std::uint32_t storedHeaderCrc = ReadBigEndian32(image, kUBootHeaderCrcOffset);
    const std::uint32_t headerCrc = HeaderCrc(image);
    if (storedHeaderCrc != headerCrc) {
        return "the header CRC is " + Hex(headerCrc) + " but the header records " +
               Hex(storedHeaderCrc);
    }
    const std::uint32_t dataSize = ReadBigEndian32(image, kUBootDataSizeOffset);
    const std::size_t actualDataSize = image.size() - kUBootHeaderSize;
    if (dataSize != actualDataSize) {
        return "the header gives a data length of " + std::to_string(dataSize) + " bytes, but " +
               std::to_string(actualDataSize) + " follow the header";
    }
    const std::uint32_t storedDataCrc = ReadBigEndian32(image, kUBootDataCrcOffset);
    const std::uint32_t dataCrc = Crc32(image.subspan(kUBootHeaderSize));
    if (storedDataCrc != dataCrc) {
        return "the data CRC is " + Hex(dataCrc) + " but the header records " + Hex(storedDataCrc);
    }
    return std::nullopt;
}

} // namespace payload
