#pragma once
// The LM704 stick as a device: it takes vendor SCSI commands (a 16-byte CDB, a direction and a
// data buffer) at a moment of virtual time and answers with a SCSI status, the bytes moved and
// sense, following its StickScript. It checks every CDB against the command set, keeps every
// image it receives, and leaves the bus while it reboots. It knows nothing of the host that
// carries the commands, so any transport can serve it.
//
// Not thread-safe: its owner serialises the calls.

#include "platform/sim/stick_script.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sim {

enum class DataDirection { In, Out };

struct StickCommand {
    std::span<const std::uint8_t> cdb; // 16 bytes
    DataDirection direction = DataDirection::In;
    // The host's buffer of the command's transfer length: read for Out, filled for In.
    std::span<std::uint8_t> data;
    std::uint32_t timeoutSeconds = 0;
};

inline constexpr std::uint8_t kScsiGood = 0;
inline constexpr std::uint8_t kScsiCheckCondition = 2;
inline constexpr std::uint8_t kSenseIllegalRequest = 0x05;
inline constexpr std::uint8_t kSenseHardwareError = 0x04;
inline constexpr std::uint8_t kAscInvalidOpcode = 0x20;
inline constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kAscInternalTargetFailure = 0x44;

struct StickResponse {
    bool answered = true; // false: the command never came back
    std::uint8_t scsiStatus = kScsiGood;
    std::uint32_t moved = 0;
    std::uint8_t senseKey = 0; // with CHECK CONDITION
    std::uint8_t asc = 0;
    std::uint32_t elapsedMs = 0; // virtual time the command took
};

// An image as the stick reassembled it from its OP_WRITE_IMAGE chunks.
struct ReceivedImage {
    std::uint8_t kind = 0;
    std::uint32_t declaredLength = 0;
    std::vector<std::uint8_t> bytes; // declaredLength bytes; the first `received` are valid
    std::uint32_t received = 0;
    std::uint32_t chunks = 0;
    std::uint32_t largestChunk = 0;
    std::uint32_t minTimeoutSeconds = 0;
    std::uint32_t maxTimeoutSeconds = 0;
    bool complete = false; // every byte arrived and the last chunk carried the flag
};

struct ProtocolViolation {
    std::uint64_t tMs = 0;
    std::uint8_t opcode = 0;
    std::string what;
};

// A stretch of time the stick spends off the bus: a reboot, or a vanish mid-write.
struct BusAbsence {
    std::uint64_t startMs = 0;
    std::uint64_t endMs = 0; // UINT64_MAX: the stick never comes back
    std::size_t image = 0;   // index into images() of the image that caused it
    bool installs = false;   // a reboot after the stick answered done for that image
};

// What a host holds from the moment it found the stick on the bus: it dies when the stick
// leaves the bus afterwards, even once the stick is back.
struct StickConnection {
    std::size_t epoch = 0;
    std::uint64_t sinceMs = 0;
};

class StickModel {
  public:
    static constexpr std::uint8_t kOpIdentify = 0xE7;
    static constexpr std::uint8_t kOpGetStatus = 0xEF;
    static constexpr std::uint8_t kOpWriteImage = 0xF0;
    static constexpr std::uint32_t kMaxImageLength = 64u << 20; // the stick's flash

    explicit StickModel(StickScript script);
    // It points into its own script; it stays where it was made.
    StickModel(const StickModel&) = delete;
    StickModel& operator=(const StickModel&) = delete;

    StickResponse execute(const StickCommand& command, std::uint64_t nowMs);

    bool onBus(std::uint64_t nowMs) const;
    StickConnection connect(std::uint64_t nowMs) const;
    bool alive(const StickConnection& connection, std::uint64_t nowMs) const;
    // The ProductVersion an installed image brought, once the stick is back from its reboot;
    // null while none has.
    const std::string* installedVersion(std::uint64_t nowMs) const;

    const std::vector<ReceivedImage>& images() const { return m_images; }
    const std::vector<ProtocolViolation>& violations() const { return m_violations; }
    // Every absence scheduled so far, in order; a transport uses it to leave the bus and to
    // learn what the stick brings back.
    const std::vector<BusAbsence>& absences() const { return m_absences; }
    std::uint32_t commandCount(std::uint8_t opcode) const { return m_counts[opcode]; }

  private:
    enum class Phase {
        AwaitingImage, // between images: the next status query is the coming image's pre-check
        Writing,       // chunks arriving
        Checking,      // the last chunk arrived: the stick is judging the image
    };
    struct Installation {
        const std::string* version;
        std::uint64_t effectiveMs;
    };

    const ImageScript& scriptFor(std::size_t image) const;
    StickResponse identify(const StickCommand& command, std::uint64_t nowMs);
    StickResponse status(const StickCommand& command, std::uint64_t nowMs);
    struct WriteFields;
    // Refuses a write that breaks the command's rules or the image's sequence.
    bool checkWrite(const WriteFields& fields, const StickCommand& command, std::uint64_t nowMs,
                    StickResponse& refusal);
    StickResponse write(const StickCommand& command, std::uint64_t nowMs);
    Reply nextStatusReply(std::uint64_t nowMs);
    // A malformed command: recorded, and refused with CHECK CONDITION.
    StickResponse refuse(std::uint64_t nowMs, std::uint8_t opcode, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    bool checkFixedCdb(const StickCommand& command, const std::array<std::uint8_t, 16>& expected,
                       const char* name, std::uint32_t length, std::uint64_t nowMs,
                       StickResponse& refusal);
    void leaveBus(std::uint64_t nowMs, const ImageScript& script, bool installs);

    const StickScript m_script;
    Phase m_phase = Phase::AwaitingImage;
    bool m_preCheckAnswered = false;
    std::size_t m_current = 0; // index into m_images while Writing or Checking
    std::uint32_t m_nextChunk = 0;
    std::uint32_t m_pollChunk = 0;
    std::size_t m_pollCursor = 0;
    std::size_t m_checkCursor = 0;
    std::vector<ReceivedImage> m_images;
    std::vector<ProtocolViolation> m_violations;
    std::vector<BusAbsence> m_absences;
    std::vector<Installation> m_installations;
    std::array<std::uint32_t, 256> m_counts{};
};

} // namespace sim
