#include "bot_wire.h"

#include <algorithm>

namespace vstick {

namespace {

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
           std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

void PutLittleEndian32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

std::optional<Cbw> ParseCbw(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kCbwLength || LittleEndian32(bytes, 0) != kCbwSignature) {
        return std::nullopt;
    }
    const std::uint8_t flags = bytes[12];
    const std::uint8_t lun = bytes[13];
    const std::uint8_t cbLength = bytes[14];
    // Flags bits 0..6, LUN bits 4..7 and length bits 5..7 are reserved.
    if ((flags & 0x7F) != 0 || (lun & 0xF0) != 0 || (cbLength & 0xE0) != 0 || cbLength == 0 ||
        cbLength > 16) {
        return std::nullopt;
    }
    Cbw cbw;
    cbw.tag = LittleEndian32(bytes, 4);
    cbw.dataLength = LittleEndian32(bytes, 8);
    cbw.dataIn = (flags & 0x80) != 0;
    cbw.lun = lun;
    cbw.cbLength = cbLength;
    std::copy_n(bytes.begin() + 15, cbLength, cbw.cb.begin());
    return cbw;
}

std::array<std::uint8_t, kCswLength> MakeCsw(std::uint32_t tag, std::uint32_t residue,
                                             CswStatus status) {
    std::array<std::uint8_t, kCswLength> csw{};
    PutLittleEndian32(csw, 0, kCswSignature);
    PutLittleEndian32(csw, 4, tag);
    PutLittleEndian32(csw, 8, residue);
    csw[12] = static_cast<std::uint8_t>(status);
    return csw;
}

} // namespace vstick
