#include "platform/sim/sim_storage.h"

#include "platform/sim/descriptor_builder.h"
#include "platform/sim/win_errors.h"
#include "platform/storage_descriptors.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {

using platform::OpenMode;
using platform::QueryStatus;

constexpr std::size_t kReservedHandles = 16;

const char* ModeName(OpenMode mode) {
    return mode == OpenMode::PassThrough ? "pass_through" : "descriptor_query";
}

const char* StatusName(QueryStatus status) {
    switch (status) {
    case QueryStatus::Delivered:
        return "delivered";
    case QueryStatus::NotAvailable:
        return "not_available";
    case QueryStatus::Failed:
        break;
    }
    return "failed";
}

// A volume device path, "\\.\E:"; the letter, or 0 when the path has another shape.
char DeviceLetter(const char* path) {
    if (path == nullptr || std::strlen(path) != 6 || std::strncmp(path, "\\\\.\\", 4) != 0 ||
        path[5] != ':' || !std::isalpha(static_cast<unsigned char>(path[4]))) {
        return 0;
    }
    return path[4];
}

// Pass-through opens for reading and writing and shares reading only; the descriptor query
// opens for reading and shares both. Two opens of a drive agree when each shares what the
// other asks for.
bool Compatible(OpenMode existing, OpenMode wanted) {
    const bool existingWrites = existing == OpenMode::PassThrough;
    const bool wantedWrites = wanted == OpenMode::PassThrough;
    const bool existingSharesWrite = existing == OpenMode::DescriptorQuery;
    const bool wantedSharesWrite = wanted == OpenMode::DescriptorQuery;
    return (!wantedWrites || existingSharesWrite) && (!existingWrites || wantedSharesWrite);
}

platform::QueryResult Result(QueryStatus status, std::uint32_t error) {
    return platform::QueryResult{status, error};
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

void FillSense(platform::PassThroughRequest& request, std::uint8_t key, std::uint8_t asc) {
    std::uint8_t sense[18] = {};
    sense[0] = 0x70; // current error, fixed format
    sense[2] = key;
    sense[7] = 10; // additional length
    sense[12] = asc;
    const std::size_t length =
        std::min<std::size_t>({request.SenseInfoLength, sizeof sense, sizeof request.Sense});
    std::memcpy(request.Sense, sense, length);
}

} // namespace

SimStorage::SimStorage(MachineCore& core, DriveBay& bay, SimClock& clock)
    : m_core(core), m_bay(bay), m_clock(clock) {
    m_open.reserve(kReservedHandles);
}

SimStorage::OpenDevice* SimStorage::find(platform::DeviceHandle device) {
    const auto id = static_cast<std::uintptr_t>(device);
    const auto it = std::find_if(m_open.begin(), m_open.end(),
                                 [id](const OpenDevice& open) { return open.id == id; });
    return it == m_open.end() ? nullptr : &*it;
}

void SimStorage::fault(std::uint8_t opcode, const char* format, ...) {
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    m_faults.push_back(ProtocolViolation{m_core.now(), opcode, text});
}

platform::OpenResult SimStorage::open(const char* path, OpenMode mode) {
    std::lock_guard lock(m_core.mutex);
    const std::uint64_t now = m_core.now();
    platform::OpenResult result{platform::DeviceHandle::None, 0};
    const char letter = DeviceLetter(path);
    const DriveSpec* drive = letter != 0 ? m_bay.find(letter) : nullptr;
    if (letter == 0) {
        result.error = win::kErrorInvalidName;
    } else if (drive == nullptr || !m_bay.present(*drive, now)) {
        result.error = win::kErrorFileNotFound;
    } else if (drive->openError != 0) {
        result.error = drive->openError;
    } else if (std::any_of(m_open.begin(), m_open.end(), [&](const OpenDevice& open) {
                   // A handle on a stick that has left the bus since holds nothing any more.
                   const bool holds = !drive->stick || m_bay.stick().alive(open.connection, now);
                   return open.drive == drive && holds && !Compatible(open.mode, mode);
               })) {
        result.error = win::kErrorSharingViolation;
    } else {
        const StickConnection connection =
            drive->stick ? m_bay.stick().connect(now) : StickConnection{};
        m_open.push_back(OpenDevice{m_nextId++, drive, mode, connection});
        result.handle = static_cast<platform::DeviceHandle>(m_open.back().id);
    }
    m_core.record("open", [&](auto& f) {
        f["path"] = path != nullptr ? path : "";
        f["mode"] = ModeName(mode);
        f["ok"] = result.handle != platform::DeviceHandle::None;
        f["handle"] = static_cast<std::uintptr_t>(result.handle);
        f["error"] = result.error;
    });
    return result;
}

void SimStorage::close(platform::DeviceHandle device) {
    std::lock_guard lock(m_core.mutex);
    OpenDevice* open = find(device);
    if (open != nullptr) {
        m_open.erase(m_open.begin() + (open - m_open.data()));
    } else {
        fault(0, "close of handle %ju, which is not open", static_cast<std::uintmax_t>(device));
    }
    m_core.record("close", [&](auto& f) {
        f["handle"] = static_cast<std::uintptr_t>(device);
        f["ok"] = open != nullptr;
    });
}

platform::QueryResult SimStorage::queryProperty(platform::DeviceHandle device,
                                                platform::StorageProperty property,
                                                std::span<std::uint8_t> out) {
    std::lock_guard lock(m_core.mutex);
    const bool adapter = property == platform::StorageProperty::Adapter;
    const bool header = out.size() == platform::descriptor::kHeaderSize;
    const QueryStep step = adapter ? (header ? QueryStep::AdapterHeader : QueryStep::AdapterFull)
                                   : (header ? QueryStep::DeviceHeader : QueryStep::DeviceFull);
    const OpenDevice* open = find(device);
    const DriveSpec* drive = open != nullptr ? open->drive : nullptr;

    platform::QueryResult result = Result(QueryStatus::Delivered, 0);
    std::vector<std::uint8_t> descriptor;
    if (open == nullptr) {
        result = Result(QueryStatus::Failed, win::kErrorInvalidHandle);
    } else if (drive->stick && !m_bay.stick().alive(open->connection, m_core.now())) {
        result = Result(QueryStatus::Failed, win::kErrorDeviceNotConnected);
    } else if (out.size() < platform::descriptor::kHeaderSize) {
        result = Result(QueryStatus::NotAvailable, win::kErrorMoreData);
    } else if (drive->queryFailure && drive->queryFailure->step == step) {
        const QueryFailure& failure = *drive->queryFailure;
        result = Result(failure.tolerated ? QueryStatus::NotAvailable : QueryStatus::Failed,
                        failure.error);
    } else if (adapter && !drive->adapter) {
        result = Result(QueryStatus::NotAvailable, win::kErrorInvalidFunction);
    } else if (!adapter && drive->descriptorQueryFails) {
        result = Result(QueryStatus::Failed, win::kErrorGenFailure);
    } else {
        descriptor = adapter ? BuildAdapterDescriptor(*drive, *drive->adapter)
                             : BuildDeviceDescriptor(*drive);
        // As much as fits, and never more than the descriptor's own Size (the header always).
        const std::size_t size = std::max<std::size_t>(platform::descriptor::readU32(descriptor, 4),
                                                       platform::descriptor::kHeaderSize);
        const std::size_t count = std::min({out.size(), size, descriptor.size()});
        std::memcpy(out.data(), descriptor.data(), count);
    }
    m_core.record("query_property", [&](auto& f) {
        f["handle"] = static_cast<std::uintptr_t>(device);
        f["property"] = adapter ? "adapter" : "device";
        f["size"] = out.size();
        f["status"] = StatusName(result.status);
        f["error"] = result.error;
    });
    return result;
}

std::uint32_t SimStorage::checkRequest(const OpenDevice& device,
                                       const platform::PassThroughRequest& request) {
    const std::uint8_t opcode = request.Cdb[0];
    if (device.mode != OpenMode::PassThrough) {
        fault(opcode, "pass-through on a handle opened for the descriptor query only");
        return win::kErrorAccessDenied;
    }
    struct Field {
        const char* name;
        std::uint32_t value;
        std::uint32_t expected;
    };
    const Field fields[] = {
        {"Length", request.Length, platform::kPassThroughDirectLength},
        {"CdbLength", request.CdbLength, platform::kCdbLength},
        {"SenseInfoLength", request.SenseInfoLength, platform::kSenseLength},
        {"SenseInfoOffset", request.SenseInfoOffset, platform::kSenseInfoOffset},
        {"PathId", request.PathId, 0},
        {"TargetId", request.TargetId, 1},
        {"Lun", request.Lun, 0},
    };
    for (const Field& field : fields) {
        if (field.value != field.expected) {
            fault(opcode, "request %s is %u, expected %u", field.name, field.value, field.expected);
            return win::kErrorInvalidParameter;
        }
    }
    if (request.DataIn != platform::kScsiDataIn && request.DataIn != platform::kScsiDataOut) {
        fault(opcode, "request DataIn is %u, expected 0 or 1", unsigned{request.DataIn});
        return win::kErrorInvalidParameter;
    }
    if (request.DataTransferLength > 0 && request.DataBuffer == nullptr) {
        fault(opcode, "request moves %u bytes without a data buffer", request.DataTransferLength);
        return win::kErrorInvalidParameter;
    }
    const std::uint32_t mask = device.drive->adapter ? device.drive->adapter->alignmentMask : 0;
    if ((reinterpret_cast<std::uintptr_t>(request.DataBuffer) & mask) != 0) {
        fault(opcode, "data buffer not aligned to the adapter's mask %Xh", mask);
        return win::kErrorInvalidParameter;
    }
    return 0;
}

bool SimStorage::carry(OpenDevice& device, platform::PassThroughRequest& request,
                       std::uint32_t& error) {
    error = checkRequest(device, request);
    if (error != 0) {
        return false;
    }
    if (!device.drive->stick) {
        // Any other drive knows no vendor command.
        ++m_foreignCommands;
        request.ScsiStatus = kScsiCheckCondition;
        request.DataTransferLength = 0;
        FillSense(request, kSenseIllegalRequest, kAscInvalidOpcode);
        return true;
    }
    const std::uint64_t now = m_core.now();
    StickModel& stick = m_bay.stick();
    if (!stick.alive(device.connection, now)) {
        error = win::kErrorDeviceNotConnected;
        return false;
    }
    StickCommand command;
    command.cdb = std::span<const std::uint8_t>(request.Cdb, platform::kCdbLength);
    command.direction =
        request.DataIn == platform::kScsiDataIn ? DataDirection::In : DataDirection::Out;
    command.data =
        std::span<std::uint8_t>(static_cast<std::uint8_t*>(request.DataBuffer),
                                request.DataBuffer != nullptr ? request.DataTransferLength : 0);
    command.timeoutSeconds = request.TimeOutValue;
    const StickResponse response = stick.execute(command, now);
    m_clock.advance(response.elapsedMs);
    if (!response.answered) {
        error = win::kErrorDeviceNotConnected;
        return false;
    }
    request.ScsiStatus = response.scsiStatus;
    request.DataTransferLength = response.moved;
    if (response.scsiStatus == kScsiCheckCondition) {
        FillSense(request, response.senseKey, response.asc);
    }
    return true;
}

bool SimStorage::passThrough(platform::DeviceHandle device, platform::PassThroughRequest& request) {
    std::lock_guard lock(m_core.mutex);
    const std::uint64_t t = m_core.now();
    const std::uint32_t asked = request.DataTransferLength;
    OpenDevice* open = find(device);
    std::uint32_t error = 0;
    bool ok = false;
    if (open == nullptr) {
        fault(request.Cdb[0], "pass-through on handle %ju, which is not open",
              static_cast<std::uintmax_t>(device));
        error = win::kErrorInvalidHandle;
    } else {
        ok = carry(*open, request, error);
    }
    m_core.transcript.record(t, "cdb", [&](auto& f) {
        f["drive"] = open != nullptr ? std::string(1, open->drive->letter) : std::string();
        f["cdb"] = Hex(request.Cdb, platform::kCdbLength);
        f["dir"] = request.DataIn == platform::kScsiDataIn    ? "in"
                   : request.DataIn == platform::kScsiDataOut ? "out"
                                                              : "unspecified";
        f["len"] = asked;
        f["timeout"] = request.TimeOutValue;
        f["ok"] = ok;
        if (ok) {
            f["scsi_status"] = request.ScsiStatus;
            f["moved"] = request.DataTransferLength;
        } else {
            f["error"] = error;
        }
    });
    return ok;
}

} // namespace sim
