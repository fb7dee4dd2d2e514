#pragma once
// Storage devices: open a drive's device by path, ask its storage stack for descriptors, hand
// vendor commands to the pass-through, close it.

#include "platform/pass_through_request.h"

#include <cstdint>
#include <span>

namespace platform {

enum class DeviceHandle : std::uintptr_t { None = 0 };

enum class OpenMode {
    PassThrough,     // read and write, shared for reading only: for vendor commands
    DescriptorQuery, // read only, shared for reading and writing: for the descriptor test only
};

struct OpenResult {
    DeviceHandle handle; // None on failure
    std::uint32_t error; // the system's error code when handle is None
};

enum class StorageProperty : std::uint32_t { Device = 0, Adapter = 1 };

enum class QueryStatus {
    Delivered,    // the output buffer holds the descriptor (or as much of it as fits)
    NotAvailable, // the stack has no such descriptor or the buffer is short; a tolerated outcome
    Failed,       // any other failure
};

struct QueryResult {
    QueryStatus status;
    std::uint32_t error; // the system's error code unless Delivered
};

class Storage {
  public:
    virtual ~Storage() = default;
    virtual OpenResult open(const char* path, OpenMode mode) = 0;
    virtual void close(DeviceHandle device) = 0;
    // One storage property query: the descriptor goes into `out`, in the layout of
    // platform/storage_descriptors.h.
    virtual QueryResult queryProperty(DeviceHandle device, StorageProperty property,
                                      std::span<std::uint8_t> out) = 0;
    // Carries one request to the device. True when the request reached the device and came back;
    // the device's verdict is in request.ScsiStatus and the count moved in DataTransferLength.
    virtual bool passThrough(DeviceHandle device, PassThroughRequest& request) = 0;
};

} // namespace platform
