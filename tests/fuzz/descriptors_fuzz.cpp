// The stick's identification from its storage descriptors, through the tool's own
// IsStickDevice and OpenSptiContext, in two ways: descriptors of any bytes from the storage stack
// (as Windows delivers them), and descriptors the Linux backend builds from sysfs texts of any
// content. Each verdict is checked against a reference made here, and the adapter's figures
// against the transfer size and alignment the context takes from them.

#include "device/spti_context.h"
#include "device/stick_discovery.h"
#include "fake_machine.h"
#include "fuzz_input.h"
#include "platform/linux/block_device.h"
#include "platform/linux/descriptor_synthesis.h"
#include "platform/linux/drive_registry.h"
#include "platform/linux/linux_storage.h"
#include "platform/storage_descriptors.h"
#include "quiet_platform.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace desc = platform::descriptor;
constexpr std::size_t kBuffer = 4096; // IsStickDevice's descriptor buffer

// What IsStickDevice must decide for a delivered device descriptor, seen as its 4096-byte buffer.
bool Reference(const std::array<std::uint8_t, kBuffer>& buffer) {
    const auto identifier = [&](std::size_t field, std::string_view expected) {
        const std::uint32_t offset = desc::readU32(buffer, field);
        return offset != 0 && offset <= kBuffer - expected.size() &&
               std::string_view(reinterpret_cast<const char*>(buffer.data()) + offset,
                                expected.size()) == expected;
    };
    return desc::readU32(buffer, desc::device::kBusType) == desc::kBusTypeUsb &&
           identifier(desc::device::kVendorIdOffset, "KORVALIN") &&
           identifier(desc::device::kProductIdOffset, "QX-LM704");
}

// A storage stack that answers with the input's descriptors.
class RawStorage final : public platform::Storage {
  public:
    platform::OpenResult open(const char*, platform::OpenMode) override {
        return {platform::DeviceHandle{1}, 0};
    }
    void close(platform::DeviceHandle) override {}
    platform::QueryResult queryProperty(platform::DeviceHandle, platform::StorageProperty property,
                                        std::span<std::uint8_t> out) override {
        const auto& bytes = property == platform::StorageProperty::Device ? device : adapter;
        if (!deliver) {
            return {platform::QueryStatus::NotAvailable, 50};
        }
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        std::copy_n(bytes.begin(), std::min(out.size(), bytes.size()), out.begin());
        return {platform::QueryStatus::Delivered, 0};
    }
    bool passThrough(platform::DeviceHandle, platform::PassThroughRequest&) override {
        return false;
    }

    bool deliver = true;
    std::vector<std::uint8_t> device;
    std::vector<std::uint8_t> adapter;
};

void RawDescriptors(fuzz::FuzzInput& input) {
    RawStorage storage;
    storage.deliver = (input.byte() & 0x0F) != 0;
    // The adapter: a header Size of the input's choice (short ones included), then the figures.
    // Its mask stays within 16 bits: the system's adapters report page-sized masks at most.
    std::vector<std::uint8_t> adapter(desc::adapter::kSize, 0);
    desc::writeU32(adapter, 4, input.byte());
    desc::writeU32(adapter, desc::adapter::kMaximumTransferLength, input.u32());
    desc::writeU32(adapter, desc::adapter::kMaximumPhysicalPages, input.u32());
    desc::writeU32(adapter, desc::adapter::kAlignmentMask, input.u32() & 0xFFFF);
    storage.adapter = adapter;
    const auto device = input.take(kBuffer + 64);
    storage.device.assign(device.begin(), device.end());
    // The system sizes its device descriptor for the identifiers it holds: a few hundred bytes,
    // never gigabytes, which the geometry query would go and allocate.
    if (storage.device.size() >= desc::kHeaderSize) {
        desc::writeU32(storage.device, 4, desc::readU32(storage.device, 4) % (2 * kBuffer));
    }

    fuzz::QuietMachine machine(storage);
    std::array<std::uint8_t, kBuffer> seen{};
    std::copy_n(storage.device.begin(), std::min(kBuffer, storage.device.size()), seen.begin());
    const bool expected = storage.deliver && Reference(seen);
    fuzz::Require(IsStickDevice(machine.system, "E:\\") == expected, "raw descriptor verdict");

    SptiContext context(storage);
    FormatDevicePath(context.m_szPath, 'E');
    fuzz::Require(OpenSptiContext(context, context.m_szPath) == 0, "open failed");
    const std::uint32_t size = desc::readU32(adapter, 4);
    if (storage.deliver && size >= desc::adapter::kFieldsEnd) {
        fuzz::Require(context.m_dwTransferSize == ComputeTransferSize(desc::readU32(adapter, 8),
                                                                      desc::readU32(adapter, 12)),
                      "transfer size not from the adapter");
        fuzz::Require(context.m_dwAlignmentMask == desc::readU32(adapter, 16), "mask not taken");
    } else {
        fuzz::Require(context.m_dwTransferSize == kInitialTransferSize &&
                          context.m_dwAlignmentMask == 0,
                      "geometry from no descriptor");
    }
    CloseSptiContext(context);
}

std::string Text(fuzz::FuzzInput& input) {
    const auto bytes = input.take(input.byte() % 64 == 63 ? 5000 : input.byte() % 40);
    return std::string(bytes.begin(), bytes.end());
}

void LinuxDescriptors(fuzz::FuzzInput& input) {
    using namespace platform::linux_backend;
    const std::uint8_t flags = input.byte();
    UdevRecord record = test::StickRecord();
    if ((flags & 1) == 0) {
        record.usbDevice.clear();
    }
    if ((flags & 2) == 0) {
        record.properties.erase("ID_CDROM");
    }
    for (const char* name : kScannedAttributes) {
        if ((input.byte() & 3) == 0) {
            record.attributes.erase(name);
        } else {
            record.attributes[name] = Text(input);
        }
    }
    test::FakeScanner scanner;
    scanner.devices = {record};
    DriveRegistry registry(scanner);
    test::FakeNodes nodes;
    LinuxStorage storage(registry, nodes);
    fuzz::QuietMachine machine(storage);

    const BlockDevice device = DescribeDevice(record);
    const auto starts = [](const std::string& text, std::string_view with) {
        return text.size() >= with.size() && text.compare(0, with.size(), with) == 0;
    };
    // Vendor at 40, product after it; both must be reachable inside the 4096-byte buffer.
    const std::size_t productOffset = desc::device::kFixedSize + device.vendor.size() + 1;
    const bool expected = device.cdrom && device.usb && starts(device.vendor, "KORVALIN") &&
                          starts(device.model, "QX-LM704") && productOffset + 8 <= kBuffer;
    fuzz::Require(IsStickDevice(machine.system, "D:\\") == expected, "synthesised verdict");

    SptiContext context(storage);
    FormatDevicePath(context.m_szPath, 'D');
    const std::int32_t opened = OpenSptiContext(context, context.m_szPath);
    fuzz::Require((opened == 0) == device.cdrom, "open of a lettered drive");
    if (opened == 0) {
        const std::uint32_t mask = context.m_dwAlignmentMask;
        fuzz::Require(mask <= 4095 && (mask & (mask + 1)) == 0, "mask not a page-held mask");
        fuzz::Require((reinterpret_cast<std::uintptr_t>(context.m_pBuffer) & mask) == 0,
                      "buffer not aligned");
        if (device.queue) {
            const AdapterFigures figures = MapQueueLimits(*device.queue);
            fuzz::Require(context.m_dwTransferSize ==
                              ComputeTransferSize(figures.maximumTransferLength,
                                                  figures.maximumPhysicalPages),
                          "transfer size not from the queue");
        } else {
            fuzz::Require(context.m_dwTransferSize == kInitialTransferSize && mask == 0,
                          "geometry without queue limits");
        }
    }
    CloseSptiContext(context);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    if ((input.byte() & 1) != 0) {
        RawDescriptors(input);
    } else {
        LinuxDescriptors(input);
    }
    return 0;
}
