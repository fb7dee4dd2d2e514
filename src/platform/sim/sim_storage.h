#pragma once
// The storage stack: opening a drive's volume device by path, its descriptors, and the direct
// pass-through that carries vendor commands. Commands for the stick's drive go to the
// StickModel; any other drive refuses vendor commands as a real one does.
//
// Beyond what the stick checks, the pass-through checks what the system would: the request
// block's fields, the buffer's alignment to the adapter's mask, a handle opened for writing.
// A request it refuses fails (passThrough false) and is kept as a request fault.

#include "platform/sim/drive_bay.h"
#include "platform/sim/machine_core.h"
#include "platform/sim/sim_clock.h"
#include "platform/storage.h"

#include <cstdint>
#include <vector>

namespace sim {

class SimStorage final : public platform::Storage {
  public:
    SimStorage(MachineCore& core, DriveBay& bay, SimClock& clock);

    platform::OpenResult open(const char* path, platform::OpenMode mode) override;
    void close(platform::DeviceHandle device) override;
    platform::QueryResult queryProperty(platform::DeviceHandle device,
                                        platform::StorageProperty property,
                                        std::span<std::uint8_t> out) override;
    bool passThrough(platform::DeviceHandle device, platform::PassThroughRequest& request) override;

    // Read under the machine's lock.
    std::size_t openDevices() const { return m_open.size(); }
    std::uint32_t foreignCommands() const { return m_foreignCommands; }
    const std::vector<ProtocolViolation>& requestFaults() const { return m_faults; }

  private:
    struct OpenDevice {
        std::uintptr_t id;
        const DriveSpec* drive;
        platform::OpenMode mode;
        StickConnection connection;
    };

    OpenDevice* find(platform::DeviceHandle device);
    // The system's verdict on the request block itself: 0, or the error it fails with.
    std::uint32_t checkRequest(const OpenDevice& device,
                               const platform::PassThroughRequest& request);
    void fault(std::uint8_t opcode, const char* format, ...) __attribute__((format(printf, 3, 4)));
    bool carry(OpenDevice& device, platform::PassThroughRequest& request, std::uint32_t& error);

    MachineCore& m_core;
    DriveBay& m_bay;
    SimClock& m_clock;
    std::vector<OpenDevice> m_open;
    std::uintptr_t m_nextId = 1;
    std::uint32_t m_foreignCommands = 0;
    std::vector<ProtocolViolation> m_faults;
};

} // namespace sim
