#include "platform/sim/stick_model.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <utility>

namespace sim {

namespace {

constexpr std::array<std::uint8_t, 16> kIdentifyCdb = {0xE7, 0x02, 0x10, 0x00, 0x01};
constexpr std::array<std::uint8_t, 16> kGetStatusCdb = {0xEF, 0x00, 0x00, 0x0C};
constexpr std::uint32_t kIdentifyLength = 4096;
constexpr std::uint32_t kStatusLength = 12;
constexpr std::uint8_t kStatusMagic[4] = {0xAB, 0xC0, 0x52, 0x07};
constexpr std::uint8_t kImageKernel = 1;
constexpr std::uint8_t kImageIso = 2;
// Room for every image and reboot of a long run, reserved up front so that taking an image
// allocates only its own storage and answering a verdict allocates nothing.
constexpr std::size_t kReservedReboots = 64;
constexpr std::uint64_t kForever = std::numeric_limits<std::uint64_t>::max();

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

StickResponse CheckCondition(std::uint8_t senseKey, std::uint8_t asc) {
    StickResponse response;
    response.scsiStatus = kScsiCheckCondition;
    response.senseKey = senseKey;
    response.asc = asc;
    return response;
}

const char* DirectionName(DataDirection direction) {
    return direction == DataDirection::In ? "in" : "out";
}

} // namespace

StickModel::StickModel(StickScript script) : m_script(std::move(script)) {
    m_images.reserve(kReservedReboots);
    m_absences.reserve(kReservedReboots);
    m_installations.reserve(kReservedReboots);
}

const ImageScript& StickModel::scriptFor(std::size_t image) const {
    static const ImageScript kDefault;
    if (m_script.images.empty()) {
        return kDefault;
    }
    return m_script.images[std::min(image, m_script.images.size() - 1)];
}

bool StickModel::onBus(std::uint64_t nowMs) const {
    return std::none_of(m_absences.begin(), m_absences.end(), [nowMs](const BusAbsence& a) {
        return a.startMs <= nowMs && nowMs < a.endMs;
    });
}

StickConnection StickModel::connect(std::uint64_t nowMs) const {
    return StickConnection{m_absences.size(), nowMs};
}

bool StickModel::alive(const StickConnection& connection, std::uint64_t nowMs) const {
    // Dead once an absence has begun that was scheduled after the connection, or that was
    // scheduled before but only began after it was made.
    for (std::size_t i = 0; i < m_absences.size(); ++i) {
        const BusAbsence& a = m_absences[i];
        const bool concerns = i >= connection.epoch || a.startMs > connection.sinceMs;
        if (concerns && a.startMs <= nowMs) {
            return false;
        }
    }
    return true;
}

const std::string* StickModel::installedVersion(std::uint64_t nowMs) const {
    const std::string* version = nullptr;
    for (const Installation& installation : m_installations) {
        if (installation.effectiveMs <= nowMs) {
            version = installation.version;
        }
    }
    return version;
}

StickResponse StickModel::execute(const StickCommand& command, std::uint64_t nowMs) {
    if (!onBus(nowMs)) {
        StickResponse lost;
        lost.answered = false;
        return lost;
    }
    if (command.cdb.size() != 16) {
        return refuse(nowMs, command.cdb.empty() ? 0 : command.cdb[0],
                      "CDB of %zu bytes, expected 16", command.cdb.size());
    }
    const std::uint8_t opcode = command.cdb[0];
    ++m_counts[opcode];
    StickResponse response;
    switch (opcode) {
    case kOpIdentify:
        response = identify(command, nowMs);
        break;
    case kOpGetStatus:
        response = status(command, nowMs);
        break;
    case kOpWriteImage:
        response = write(command, nowMs);
        break;
    default:
        response = refuse(nowMs, opcode, "unknown opcode %02Xh", unsigned{opcode});
        response.asc = kAscInvalidOpcode;
        break;
    }
    response.elapsedMs = m_script.latencyMs;
    return response;
}

StickResponse StickModel::refuse(std::uint64_t nowMs, std::uint8_t opcode, const char* format,
                                 ...) {
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    m_violations.push_back(ProtocolViolation{nowMs, opcode, text});
    return CheckCondition(kSenseIllegalRequest, kAscInvalidFieldInCdb);
}

bool StickModel::checkFixedCdb(const StickCommand& command,
                               const std::array<std::uint8_t, 16>& expected, const char* name,
                               std::uint32_t length, std::uint64_t nowMs, StickResponse& refusal) {
    const std::uint8_t opcode = expected[0];
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (command.cdb[i] != expected[i]) {
            refusal = refuse(nowMs, opcode, "%s: CDB byte %zu is %02Xh, expected %02Xh", name, i,
                             unsigned{command.cdb[i]}, unsigned{expected[i]});
            return false;
        }
    }
    if (command.direction != DataDirection::In) {
        refusal = refuse(nowMs, opcode, "%s: direction out, expected in", name);
        return false;
    }
    if (command.data.size() != length) {
        refusal = refuse(nowMs, opcode, "%s: transfer length %zu, expected %u", name,
                         command.data.size(), length);
        return false;
    }
    return true;
}

StickResponse StickModel::identify(const StickCommand& command, std::uint64_t nowMs) {
    StickResponse refusal;
    if (!checkFixedCdb(command, kIdentifyCdb, "OP_IDENTIFY", kIdentifyLength, nowMs, refusal)) {
        return refusal;
    }
    if (m_script.identifyFails) {
        return CheckCondition(kSenseHardwareError, kAscInternalTargetFailure);
    }
    // Identify data in the shape of inquiry data: the stick names its maker and model.
    const std::size_t length = std::min<std::size_t>(m_script.identifyLength, command.data.size());
    std::memset(command.data.data(), 0, length);
    constexpr char kIdentity[] = "\x05\x80\x00\x02\x1F\x00\x00\x00KORVALINQX-LM704        1.00";
    std::memcpy(command.data.data(), kIdentity, std::min(length, sizeof kIdentity - 1));
    StickResponse response;
    response.moved = static_cast<std::uint32_t>(length);
    return response;
}

Reply StickModel::nextStatusReply(std::uint64_t nowMs) {
    switch (m_phase) {
    case Phase::AwaitingImage: {
        const ImageScript& script = scriptFor(m_images.size());
        if (m_preCheckAnswered) {
            return script.defaultPoll;
        }
        m_preCheckAnswered = true;
        return script.preCheck;
    }
    case Phase::Writing: {
        const ImageScript& script = scriptFor(m_current);
        const auto polls = script.polls.find(m_pollChunk);
        if (polls != script.polls.end() && m_pollCursor < polls->second.size()) {
            return polls->second[m_pollCursor++];
        }
        return script.defaultPoll;
    }
    case Phase::Checking:
        break;
    }
    const ImageScript& script = scriptFor(m_current);
    const bool first = m_checkCursor == 0;
    const Reply reply = script.check.empty()
                            ? Reply::Done()
                            : script.check[std::min(m_checkCursor, script.check.size() - 1)];
    ++m_checkCursor;
    // The check ends where the tool stops asking: a verdict, or a failed query. After a
    // success, and after a first answer that is none (the stick restarting on its own), the
    // stick reboots.
    const bool done = reply.carriesState() && reply.state == 1;
    const bool refused = reply.carriesState() && (reply.state == 3 || reply.state == 4);
    if (first && !reply.valid()) {
        leaveBus(nowMs, script, false);
    } else if (done) {
        leaveBus(nowMs, script, true);
    } else if (refused || (!first && reply.kind != Reply::Kind::Status)) {
        m_phase = Phase::AwaitingImage;
        m_preCheckAnswered = false;
    }
    return reply;
}

StickResponse StickModel::status(const StickCommand& command, std::uint64_t nowMs) {
    StickResponse refusal;
    if (!checkFixedCdb(command, kGetStatusCdb, "OP_GET_STATUS", kStatusLength, nowMs, refusal)) {
        return refusal;
    }
    const Reply reply = nextStatusReply(nowMs);
    StickResponse response;
    switch (reply.kind) {
    case Reply::Kind::Gone:
        response.answered = false;
        return response;
    case Reply::Kind::Fail:
        return CheckCondition(kSenseHardwareError, kAscInternalTargetFailure);
    case Reply::Kind::Status:
        break;
    }
    std::uint8_t bytes[kStatusLength] = {};
    if (reply.magic) {
        std::memcpy(bytes, kStatusMagic, sizeof kStatusMagic);
    }
    bytes[8] = reply.state;
    const std::size_t length = std::min<std::size_t>(reply.length, command.data.size());
    std::memcpy(command.data.data(), bytes, length);
    response.moved = static_cast<std::uint32_t>(length);
    return response;
}

// The fields of an OP_WRITE_IMAGE CDB.
struct StickModel::WriteFields {
    unsigned kind;
    unsigned last;
    std::uint32_t total;
    std::uint32_t length;
    std::uint32_t chunk;
};

bool StickModel::checkWrite(const WriteFields& w, const StickCommand& command, std::uint64_t nowMs,
                            StickResponse& refusal) {
    const auto refuseWrite = [&](StickResponse r) {
        refusal = r;
        return false;
    };
    if (command.direction != DataDirection::Out) {
        return refuseWrite(refuse(nowMs, kOpWriteImage,
                                  "OP_WRITE_IMAGE chunk %u: direction %s, expected out", w.chunk,
                                  DirectionName(command.direction)));
    }
    if (w.kind != kImageKernel && w.kind != kImageIso) {
        return refuseWrite(refuse(nowMs, kOpWriteImage,
                                  "OP_WRITE_IMAGE chunk %u: image kind %u, expected 1 or 2",
                                  w.chunk, w.kind));
    }
    for (const std::size_t reserved : {3u, 11u, 14u, 15u}) {
        if (command.cdb[reserved] != 0) {
            return refuseWrite(refuse(nowMs, kOpWriteImage,
                                      "OP_WRITE_IMAGE chunk %u: reserved CDB byte %zu is %02Xh",
                                      w.chunk, reserved, unsigned{command.cdb[reserved]}));
        }
    }
    if (w.last > 1) {
        return refuseWrite(refuse(nowMs, kOpWriteImage,
                                  "OP_WRITE_IMAGE chunk %u: last-chunk flag %u", w.chunk, w.last));
    }
    if (w.length == 0 || w.length != command.data.size()) {
        return refuseWrite(refuse(nowMs, kOpWriteImage,
                                  "OP_WRITE_IMAGE chunk %u: chunk length %u, transfer length %zu",
                                  w.chunk, w.length, command.data.size()));
    }
    std::uint32_t already = 0;
    if (w.chunk == 0) {
        if (w.total > kMaxImageLength) {
            return refuseWrite(refuse(nowMs, kOpWriteImage,
                                      "OP_WRITE_IMAGE: image length %u exceeds the stick's flash",
                                      w.total));
        }
    } else {
        if (m_phase != Phase::Writing) {
            return refuseWrite(refuse(nowMs, kOpWriteImage,
                                      "OP_WRITE_IMAGE chunk %u: no image in progress", w.chunk));
        }
        const ReceivedImage& image = m_images[m_current];
        if (w.chunk != m_nextChunk) {
            return refuseWrite(refuse(nowMs, kOpWriteImage, "OP_WRITE_IMAGE: chunk %u, expected %u",
                                      w.chunk, m_nextChunk));
        }
        if (w.kind != image.kind || w.total != image.declaredLength) {
            return refuseWrite(refuse(nowMs, kOpWriteImage,
                                      "OP_WRITE_IMAGE chunk %u: kind %u length %u, image began "
                                      "as kind %u length %u",
                                      w.chunk, w.kind, w.total, unsigned{image.kind},
                                      image.declaredLength));
        }
        already = image.received;
    }
    if (w.length > w.total - already) {
        return refuseWrite(refuse(nowMs, kOpWriteImage,
                                  "OP_WRITE_IMAGE chunk %u: %u bytes, only %u left of the image",
                                  w.chunk, w.length, w.total - already));
    }
    const bool completes = already + w.length == w.total;
    if ((w.last == 1) != completes) {
        return refuseWrite(refuse(nowMs, kOpWriteImage,
                                  "OP_WRITE_IMAGE chunk %u: last-chunk flag %u with %u bytes left "
                                  "after it",
                                  w.chunk, w.last, w.total - already - w.length));
    }
    return true;
}

StickResponse StickModel::write(const StickCommand& command, std::uint64_t nowMs) {
    const WriteFields w{command.cdb[1], command.cdb[2], BigEndian(command.cdb, 4, 4),
                        BigEndian(command.cdb, 8, 3), BigEndian(command.cdb, 12, 2)};
    StickResponse refusal;
    if (!checkWrite(w, command, nowMs, refusal)) {
        return refusal;
    }
    if (w.chunk == 0) {
        // A new image; one still in progress is abandoned and kept as it is.
        ReceivedImage image;
        image.kind = static_cast<std::uint8_t>(w.kind);
        image.declaredLength = w.total;
        image.bytes.resize(w.total);
        image.minTimeoutSeconds = command.timeoutSeconds;
        image.maxTimeoutSeconds = command.timeoutSeconds;
        m_images.push_back(std::move(image));
        m_current = m_images.size() - 1;
        m_phase = Phase::Writing;
        m_nextChunk = 0;
    }
    const ImageScript& script = scriptFor(m_current);
    if (script.vanishAtChunk == w.chunk) {
        leaveBus(nowMs, script, false);
        StickResponse lost;
        lost.answered = false;
        return lost;
    }
    if (script.failChunk == w.chunk) {
        return CheckCondition(kSenseHardwareError, kAscInternalTargetFailure);
    }

    ReceivedImage& image = m_images[m_current];
    std::memcpy(image.bytes.data() + image.received, command.data.data(), w.length);
    image.received += w.length;
    image.chunks += 1;
    image.largestChunk = std::max(image.largestChunk, w.length);
    image.minTimeoutSeconds = std::min(image.minTimeoutSeconds, command.timeoutSeconds);
    image.maxTimeoutSeconds = std::max(image.maxTimeoutSeconds, command.timeoutSeconds);
    ++m_nextChunk;
    if (image.received == image.declaredLength) {
        image.complete = true;
        m_phase = Phase::Checking;
        m_checkCursor = 0;
    } else {
        m_pollChunk = w.chunk;
        m_pollCursor = 0;
    }
    StickResponse response;
    response.moved = w.length;
    return response;
}

void StickModel::leaveBus(std::uint64_t nowMs, const ImageScript& script, bool installs) {
    const std::uint64_t start = nowMs + script.rebootDelayMs;
    const std::uint64_t end =
        script.rebootMs < 0 ? kForever : start + static_cast<std::uint64_t>(script.rebootMs);
    m_absences.push_back(BusAbsence{start, end, m_current, installs});
    if (installs && script.installsVersion && end != kForever) {
        m_installations.push_back(Installation{&*script.installsVersion, end});
    }
    m_phase = Phase::AwaitingImage;
    m_preCheckAnswered = false;
}

} // namespace sim
