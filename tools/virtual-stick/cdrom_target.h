#pragma once
// The stick's CD-ROM drive as a SCSI target: the MMC commands a host needs to find the drive and
// read its disc, over a Medium. Sense of a failed command is kept for REQUEST SENSE.

#include "command_target.h"
#include "medium.h"

#include <cstdint>
#include <memory>
#include <span>

namespace vstick {

struct Sense {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};

inline constexpr std::uint8_t kSenseKeyIllegalRequest = 0x05;
inline constexpr std::uint8_t kAscInvalidOpcode = 0x20;
inline constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
inline constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kAscLunNotSupported = 0x25;
inline constexpr std::uint8_t kAscSavingNotSupported = 0x39;

class CdromTarget {
  public:
    explicit CdromTarget(std::shared_ptr<const Medium> medium);

    void setMedium(std::shared_ptr<const Medium> medium) { m_medium = std::move(medium); }
    const std::shared_ptr<const Medium>& medium() const { return m_medium; }

    CommandResult execute(const CommandBlock& command, std::span<std::uint8_t> data);
    // CHECK CONDITION with `sense` kept for the REQUEST SENSE that follows.
    CommandResult fail(Sense sense);
    // Any command but REQUEST SENSE forgets the sense of the one before.
    void clearSense() { m_sense = {}; }

  private:
    CommandResult inquiry(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    CommandResult requestSense(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    CommandResult readCapacity(std::span<std::uint8_t> data);
    CommandResult read(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> data);
    CommandResult readToc(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    CommandResult modeSense(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    CommandResult getConfiguration(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    CommandResult eventStatus(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);

    std::shared_ptr<const Medium> m_medium;
    Sense m_sense;
};

} // namespace vstick
