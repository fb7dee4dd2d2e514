#pragma once
// The storage descriptors a drive's stack reports, laid out as platform/storage_descriptors.h
// describes, with the quirks a drive may be given.

#include "platform/sim/scenario.h"

#include <cstdint>
#include <vector>

namespace sim {

// STORAGE_DEVICE_DESCRIPTOR followed by the vendor, product and revision texts. Offsets the
// drive overrides are written as given; a text is placed at its offset as far as the
// descriptor reaches there (the descriptor grows to hold it, up to the first 4096 bytes).
std::vector<std::uint8_t> BuildDeviceDescriptor(const DriveSpec& drive);

// STORAGE_ADAPTER_DESCRIPTOR of the adapter's limits, with the Size the drive gives it in its
// header. A query delivers at most Size bytes of it (never less than the 8-byte header), so a
// short Size makes a short descriptor.
std::vector<std::uint8_t> BuildAdapterDescriptor(const DriveSpec& drive,
                                                 const AdapterLimits& limits);

} // namespace sim
