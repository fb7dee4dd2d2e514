#include "bot_session.h"

#include <algorithm>
#include <array>

namespace vstick {

namespace {

// Room for a whole packet: the host's CBW is one short packet, and reading less than a packet
// would leave FunctionFS holding the rest for the next read.
constexpr std::size_t kCbwReadLength = 512;

// Calls the target's finished() on every way out once a command was handed over.
class FinishGuard {
  public:
    explicit FinishGuard(CommandTarget& target) : m_target(target) {}
    ~FinishGuard() { m_target.finished(); }
    FinishGuard(const FinishGuard&) = delete;
    FinishGuard& operator=(const FinishGuard&) = delete;

  private:
    CommandTarget& m_target;
};

} // namespace

BotSession::BotSession(BulkPipe& pipe, CommandTarget& target) : m_pipe(pipe), m_target(target) {}

void BotSession::refuse() {
    // The host must see both endpoints halted and recover with a reset; until then nothing
    // it sends is taken as a command.
    m_awaitingReset.store(true);
    m_pipe.haltIn();
    m_pipe.haltOut();
}

std::optional<std::uint32_t> BotSession::receiveData(std::uint32_t length) {
    std::uint32_t total = 0;
    while (total < length) {
        const std::uint32_t asked = length - total;
        const std::optional<std::size_t> got =
            m_pipe.receive(std::span(m_data).subspan(total, asked));
        if (!got) {
            return std::nullopt;
        }
        total += static_cast<std::uint32_t>(*got);
        if (*got < asked) {
            break; // a short packet ended the host's data early
        }
    }
    return total;
}

bool BotSession::sendDataIn(std::uint32_t moved, std::uint32_t length) {
    if (moved > 0 && !m_pipe.send(std::span(m_data).first(moved))) {
        return false;
    }
    // Less than the host asked for, ending on a packet boundary (or nothing at all): without a
    // short packet the host would go on waiting for data and take the CSW for more of it.
    if (moved < length && moved % m_pipe.maxPacketSize() == 0) {
        return m_pipe.send({});
    }
    return true;
}

BotSession::Outcome BotSession::serveOne() {
    std::array<std::uint8_t, kCbwReadLength> raw;
    const std::optional<std::size_t> got = m_pipe.receive(raw);
    if (!got) {
        return Outcome::Lost;
    }
    if (m_awaitingReset.load()) {
        refuse();
        return Outcome::Refused;
    }
    const std::optional<Cbw> cbw = ParseCbw(std::span(raw).first(*got));
    if (!cbw || cbw->dataLength > kMaxDataLength) {
        refuse();
        return Outcome::Refused;
    }

    const std::uint32_t length = cbw->dataLength;
    if (m_data.size() < length) {
        m_data.resize(length);
    }
    std::uint32_t received = 0;
    if (cbw->dataIn) {
        std::fill_n(m_data.begin(), length, std::uint8_t{0});
    } else if (length > 0) {
        const std::optional<std::uint32_t> data = receiveData(length);
        if (!data) {
            return Outcome::Lost;
        }
        received = *data;
    }

    const CommandBlock block{cbw->cb, cbw->lun, cbw->dataIn, length};
    FinishGuard guard(m_target);
    const CommandResult result =
        m_target.execute(block, std::span(m_data).first(cbw->dataIn ? length : received));
    if (!result.answered) {
        return Outcome::Held;
    }
    const std::uint32_t moved = std::min(result.moved, length);
    if (cbw->dataIn && length > 0 && !sendDataIn(moved, length)) {
        return Outcome::Lost;
    }
    const auto csw = MakeCsw(cbw->tag, length - moved, result.status);
    return m_pipe.send(csw) ? Outcome::Completed : Outcome::Lost;
}

} // namespace vstick
