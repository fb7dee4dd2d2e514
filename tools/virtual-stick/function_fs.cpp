#include "function_fs.h"

#include "bot_session.h"
#include "ffs_descriptors.h"

#include <cerrno>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vstick {

namespace {

constexpr int kControlPollMs = 100;

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes, const std::string& what,
              std::string& error) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written != static_cast<ssize_t>(bytes.size())) {
        error = what + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int OpenEndpoint(const std::string& file, std::string& error) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = file + ": " + std::strerror(errno);
    }
    return fd;
}

const char* EventName(unsigned type) {
    switch (type) {
    case FUNCTIONFS_BIND:
        return "the function is bound to the gadget";
    case FUNCTIONFS_UNBIND:
        return "the function is unbound from the gadget";
    case FUNCTIONFS_ENABLE:
        return "the host configured the stick";
    case FUNCTIONFS_DISABLE:
        return "the host let go of the stick (disconnect or reset)";
    case FUNCTIONFS_SUSPEND:
        return "the bus is suspended";
    case FUNCTIONFS_RESUME:
        return "the bus resumed";
    default:
        return nullptr;
    }
}

} // namespace

FunctionFs::~FunctionFs() {
    close();
}

bool FunctionFs::open(const std::string& mount, std::string& error) {
    m_ep0 = OpenEndpoint(mount + "/ep0", error);
    if (m_ep0 < 0 ||
        !WriteAll(m_ep0, FunctionFsDescriptors(), "writing the descriptors to ep0", error) ||
        !WriteAll(m_ep0, FunctionFsStrings(), "writing the strings to ep0", error)) {
        return false;
    }
    m_in = OpenEndpoint(mount + "/ep1", error);
    m_out = m_in < 0 ? -1 : OpenEndpoint(mount + "/ep2", error);
    return m_out >= 0;
}

void FunctionFs::close() {
    for (int* fd : {&m_out, &m_in, &m_ep0}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

std::optional<std::size_t> FunctionFs::receive(std::span<std::uint8_t> buffer) {
    const ssize_t got = ::read(m_out, buffer.data(), buffer.size());
    if (got < 0) {
        return std::nullopt; // ESHUTDOWN on a disconnect, EINTR when woken
    }
    return static_cast<std::size_t>(got);
}

bool FunctionFs::send(std::span<const std::uint8_t> bytes) {
    // FunctionFS queues a zero-length request for an empty write: a zero-length packet.
    return ::write(m_in, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

// FunctionFS halts an endpoint on a transfer against its direction.
void FunctionFs::haltIn() {
    std::uint8_t byte;
    [[maybe_unused]] const ssize_t ignored = ::read(m_in, &byte, 0);
}

void FunctionFs::haltOut() {
    [[maybe_unused]] const ssize_t ignored = ::write(m_out, nullptr, 0);
}

std::size_t FunctionFs::maxPacketSize() const {
    usb_endpoint_descriptor descriptor{};
    if (::ioctl(m_in, FUNCTIONFS_ENDPOINT_DESC, &descriptor) != 0) {
        return kHighSpeedBulkPacket;
    }
    const std::size_t size = descriptor.wMaxPacketSize & 0x7FF;
    return size == 0 ? kHighSpeedBulkPacket : size;
}

void FunctionFs::serveControl(BotSession& session, const std::atomic<bool>& stop,
                              const std::function<void()>& interrupt, const Report& report) {
    while (!stop.load()) {
        pollfd wait{m_ep0, POLLIN, 0};
        const int ready = ::poll(&wait, 1, kControlPollMs);
        if (ready <= 0) {
            continue;
        }
        usb_functionfs_event events[4];
        const ssize_t got = ::read(m_ep0, events, sizeof events);
        if (got <= 0) {
            continue;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof events[0]; ++i) {
            const usb_functionfs_event& event = events[i];
            if (event.type == FUNCTIONFS_SETUP) {
                const usb_ctrlrequest& request = event.u.setup;
                const SetupPacket setup{request.bRequestType, request.bRequest,
                                        le16toh(request.wValue), le16toh(request.wIndex),
                                        le16toh(request.wLength)};
                if (answerSetup(setup, session, interrupt) == ControlAnswer::Kind::Acknowledge) {
                    report("the host reset the transport (Bulk-Only Mass Storage Reset)");
                }
                continue;
            }
            if (event.type == FUNCTIONFS_ENABLE) {
                session.reset(); // a new configuration starts with a fresh transport
            }
            if (const char* name = EventName(event.type)) {
                report(name);
            }
        }
    }
}

ControlAnswer::Kind FunctionFs::answerSetup(const SetupPacket& setup, BotSession& session,
                                            const std::function<void()>& interrupt) {
    const ControlAnswer answer = AnswerClassRequest(setup, session);
    // A failed transfer on ep0 means the host gave up on the request; nothing is left to do.
    std::uint8_t none = 0;
    ssize_t ignored = 0;
    switch (answer.kind) {
    case ControlAnswer::Kind::Data:
        ignored = ::write(m_ep0, answer.data.data(), answer.data.size());
        break;
    case ControlAnswer::Kind::Acknowledge:
        interrupt(); // the reset also ends whatever transfer the session was in
        ignored = ::read(m_ep0, &none, 0);
        break;
    case ControlAnswer::Kind::Stall:
        // A transfer against the request's direction stalls ep0.
        ignored = setup.deviceToHost() ? ::read(m_ep0, &none, 0) : ::write(m_ep0, &none, 0);
        break;
    }
    static_cast<void>(ignored);
    return answer.kind;
}

} // namespace vstick
