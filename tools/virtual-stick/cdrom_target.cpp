#include "cdrom_target.h"

#include "stick_identity.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vstick {

namespace {

enum Opcode : std::uint8_t {
    kTestUnitReady = 0x00,
    kRequestSense = 0x03,
    kInquiry = 0x12,
    kModeSense6 = 0x1A,
    kStartStopUnit = 0x1B,
    kPreventAllowRemoval = 0x1E,
    kReadCapacity10 = 0x25,
    kRead10 = 0x28,
    kReadToc = 0x43,
    kGetConfiguration = 0x46,
    kGetEventStatus = 0x4A,
    kModeSense10 = 0x5A,
    kRead12 = 0xA8,
    kSetCdSpeed = 0xBB,
};

constexpr std::uint8_t kPeripheralCdrom = 0x05;
constexpr std::uint8_t kLeadOutTrack = 0xAA;
constexpr std::uint8_t kDataTrackControl = 0x14; // ADR 1 (position), control 4 (data track)
constexpr std::uint8_t kCapabilitiesPage = 0x2A;
constexpr std::uint8_t kAllPages = 0x3F;
constexpr std::uint16_t kProfileCdrom = 0x0008;

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value,
                  std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
    }
}

void Append(std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> more) {
    bytes.insert(bytes.end(), more);
}

void AppendText(std::vector<std::uint8_t>& bytes, const char* text) {
    bytes.insert(bytes.end(), text, text + std::strlen(text));
}

// A TOC address: a plain LBA, or minutes, seconds and frames counted from the 2-second pregap.
void AppendAddress(std::vector<std::uint8_t>& bytes, std::uint32_t lba, bool msf) {
    if (!msf) {
        Append(bytes, {static_cast<std::uint8_t>(lba >> 24), static_cast<std::uint8_t>(lba >> 16),
                       static_cast<std::uint8_t>(lba >> 8), static_cast<std::uint8_t>(lba)});
        return;
    }
    const std::uint32_t frames = lba + 150;
    Append(bytes,
           {0, static_cast<std::uint8_t>(frames / (60 * 75)),
            static_cast<std::uint8_t>(frames / 75 % 60), static_cast<std::uint8_t>(frames % 75)});
}

// Data-in of `reply`, cut at the allocation length and at the host's buffer.
CommandResult Reply(std::span<std::uint8_t> data, const std::vector<std::uint8_t>& reply,
                    std::uint32_t allocation) {
    const std::size_t length = std::min({reply.size(), std::size_t{allocation}, data.size()});
    std::copy_n(reply.begin(), length, data.begin());
    return CommandResult{true, CswStatus::Passed, static_cast<std::uint32_t>(length)};
}

bool IsDataIn(std::uint8_t opcode) {
    switch (opcode) {
    case kRequestSense:
    case kInquiry:
    case kModeSense6:
    case kReadCapacity10:
    case kRead10:
    case kReadToc:
    case kGetConfiguration:
    case kGetEventStatus:
    case kModeSense10:
    case kRead12:
        return true;
    default:
        return false;
    }
}

} // namespace

CdromTarget::CdromTarget(std::shared_ptr<const Medium> medium) : m_medium(std::move(medium)) {}

CommandResult CdromTarget::fail(Sense sense) {
    m_sense = sense;
    return CommandResult{true, CswStatus::Failed, 0};
}

CommandResult CdromTarget::execute(const CommandBlock& command, std::span<std::uint8_t> data) {
    const std::span<const std::uint8_t> cdb = command.cdb;
    const std::uint8_t opcode = cdb[0];
    if (opcode != kRequestSense) {
        clearSense();
    }
    if (command.lun != 0) {
        return fail({kSenseKeyIllegalRequest, kAscLunNotSupported, 0});
    }
    // None of the drive's commands takes data from the host.
    if (!command.dataIn && command.hostLength > 0) {
        return CommandResult{true, CswStatus::PhaseError, 0};
    }
    if (!IsDataIn(opcode)) {
        data = {};
    }
    switch (opcode) {
    case kTestUnitReady:
    case kStartStopUnit:
    case kPreventAllowRemoval:
    case kSetCdSpeed:
        return CommandResult{};
    case kRequestSense:
        return requestSense(cdb, data);
    case kInquiry:
        return inquiry(cdb, data);
    case kReadCapacity10:
        return readCapacity(data);
    case kRead10:
        return read(BigEndian(cdb, 2, 4), BigEndian(cdb, 7, 2), data);
    case kRead12:
        return read(BigEndian(cdb, 2, 4), BigEndian(cdb, 6, 4), data);
    case kReadToc:
        return readToc(cdb, data);
    case kModeSense6:
    case kModeSense10:
        return modeSense(cdb, data);
    case kGetConfiguration:
        return getConfiguration(cdb, data);
    case kGetEventStatus:
        return eventStatus(cdb, data);
    default:
        return fail({kSenseKeyIllegalRequest, kAscInvalidOpcode, 0});
    }
}

CommandResult CdromTarget::inquiry(std::span<const std::uint8_t> cdb,
                                   std::span<std::uint8_t> data) {
    const bool vitalProductData = (cdb[1] & 0x01) != 0;
    const std::uint8_t page = cdb[2];
    const std::uint32_t allocation = BigEndian(cdb, 3, 2);
    std::vector<std::uint8_t> reply;
    if (!vitalProductData) {
        if (page != 0) {
            return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
        }
        // Removable, no claimed standard version, response data format 2, 36 bytes in all.
        Append(reply, {kPeripheralCdrom, 0x80, 0x00, 0x02, 36 - 5, 0, 0, 0});
        AppendText(reply, kInquiryVendor);
        AppendText(reply, kInquiryProduct);
        AppendText(reply, kInquiryRevision);
    } else if (page == 0x00) {
        Append(reply, {kPeripheralCdrom, 0x00, 0x00, 2, 0x00, 0x80});
    } else if (page == 0x80) {
        const auto length = static_cast<std::uint8_t>(std::strlen(kSerialNumber));
        Append(reply, {kPeripheralCdrom, 0x80, 0x00, length});
        AppendText(reply, kSerialNumber);
    } else {
        return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
    }
    return Reply(data, reply, allocation);
}

CommandResult CdromTarget::requestSense(std::span<const std::uint8_t> cdb,
                                        std::span<std::uint8_t> data) {
    // Fixed format, current error, 10 additional bytes.
    std::vector<std::uint8_t> reply(18, 0);
    reply[0] = 0x70;
    reply[2] = m_sense.key;
    reply[7] = 10;
    reply[12] = m_sense.asc;
    reply[13] = m_sense.ascq;
    clearSense();
    return Reply(data, reply, cdb[4]);
}

CommandResult CdromTarget::readCapacity(std::span<std::uint8_t> data) {
    std::vector<std::uint8_t> reply(8, 0);
    PutBigEndian(reply, 0, m_medium->sectors() - 1, 4);
    PutBigEndian(reply, 4, Medium::kSectorSize, 4);
    return Reply(data, reply, 8);
}

CommandResult CdromTarget::read(std::uint32_t lba, std::uint32_t count,
                                std::span<std::uint8_t> data) {
    if (std::uint64_t{lba} + count > m_medium->sectors()) {
        return fail({kSenseKeyIllegalRequest, kAscLbaOutOfRange, 0});
    }
    const std::span<const std::uint8_t> sectors = m_medium->read(lba, count);
    const std::size_t length = std::min(sectors.size(), data.size());
    std::copy_n(sectors.begin(), length, data.begin());
    // The host gave less room than the sectors it asked for: a phase error, not a silent cut.
    const CswStatus status = length < sectors.size() ? CswStatus::PhaseError : CswStatus::Passed;
    return CommandResult{true, status, static_cast<std::uint32_t>(length)};
}

CommandResult CdromTarget::readToc(std::span<const std::uint8_t> cdb,
                                   std::span<std::uint8_t> data) {
    const bool msf = (cdb[1] & 0x02) != 0;
    std::uint8_t format = cdb[2] & 0x0F;
    if (format == 0) {
        format = cdb[9] >> 6; // the older place of the format, in the control byte
    }
    const std::uint8_t track = cdb[6];
    const std::uint32_t allocation = BigEndian(cdb, 7, 2);
    std::vector<std::uint8_t> reply = {0, 0, 1, 1}; // length, first and last track or session
    if (format == 0) {
        if (track > 1 && track != kLeadOutTrack) {
            return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
        }
        if (track <= 1) {
            Append(reply, {0, kDataTrackControl, 1, 0});
            AppendAddress(reply, 0, msf);
        }
        Append(reply, {0, kDataTrackControl, kLeadOutTrack, 0});
        AppendAddress(reply, m_medium->sectors(), msf);
    } else if (format == 1) {
        // The one session starts with track 1.
        Append(reply, {0, kDataTrackControl, 1, 0});
        AppendAddress(reply, 0, msf);
    } else {
        return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
    }
    PutBigEndian(reply, 0, static_cast<std::uint32_t>(reply.size() - 2), 2);
    return Reply(data, reply, allocation);
}

CommandResult CdromTarget::modeSense(std::span<const std::uint8_t> cdb,
                                     std::span<std::uint8_t> data) {
    const bool ten = cdb[0] == kModeSense10;
    const std::uint8_t pageControl = cdb[2] >> 6;
    const std::uint8_t page = cdb[2] & 0x3F;
    const std::uint32_t allocation = ten ? BigEndian(cdb, 7, 2) : cdb[4];
    if (pageControl == 3) {
        return fail({kSenseKeyIllegalRequest, kAscSavingNotSupported, 0});
    }
    if (page != kCapabilitiesPage && page != kAllPages) {
        return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
    }
    // No block descriptors; the header's length field counts the bytes after itself.
    std::vector<std::uint8_t> reply(ten ? 8 : 4, 0);
    const std::size_t page2A = reply.size();
    reply.resize(page2A + 20, 0);
    reply[page2A] = kCapabilitiesPage;
    reply[page2A + 1] = 18;
    if (pageControl != 1) { // changeable values: none
        // Tray loading, eject and lock supported: the drive takes PREVENT ALLOW and START STOP.
        reply[page2A + 6] = 0x29;
    }
    if (ten) {
        PutBigEndian(reply, 0, static_cast<std::uint32_t>(reply.size() - 2), 2);
    } else {
        reply[0] = static_cast<std::uint8_t>(reply.size() - 1);
    }
    return Reply(data, reply, allocation);
}

CommandResult CdromTarget::getConfiguration(std::span<const std::uint8_t> cdb,
                                            std::span<std::uint8_t> data) {
    const std::uint8_t requestType = cdb[1] & 0x03;
    const std::uint32_t startingFeature = BigEndian(cdb, 2, 2);
    const std::uint32_t allocation = BigEndian(cdb, 7, 2);
    if (requestType == 3) {
        return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
    }
    std::vector<std::uint8_t> reply(8, 0);
    PutBigEndian(reply, 6, kProfileCdrom, 2);
    // The only feature is the profile list (0000h), persistent and current: CD-ROM, current.
    if (startingFeature == 0) {
        Append(reply, {0x00, 0x00, 0x03, 4, kProfileCdrom >> 8, kProfileCdrom & 0xFF, 0x01, 0});
    }
    PutBigEndian(reply, 0, static_cast<std::uint32_t>(reply.size() - 4), 4);
    return Reply(data, reply, allocation);
}

CommandResult CdromTarget::eventStatus(std::span<const std::uint8_t> cdb,
                                       std::span<std::uint8_t> data) {
    constexpr std::uint8_t kMediaClass = 0x10;
    if ((cdb[1] & 0x01) == 0) { // only polled operation
        return fail({kSenseKeyIllegalRequest, kAscInvalidFieldInCdb, 0});
    }
    const std::uint32_t allocation = BigEndian(cdb, 7, 2);
    std::vector<std::uint8_t> reply;
    if ((cdb[4] & kMediaClass) != 0) {
        // Class 4 (media): no change, a disc present, the tray shut.
        Append(reply, {0, 6, 0x04, kMediaClass, 0x00, 0x02, 0, 0});
    } else {
        Append(reply, {0, 2, 0x80, kMediaClass}); // no event of the classes asked for
    }
    return Reply(data, reply, allocation);
}

} // namespace vstick
