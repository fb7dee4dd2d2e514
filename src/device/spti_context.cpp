#include "device/spti_context.h"

#include "platform/storage_descriptors.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

// ERROR_NOT_ENOUGH_MEMORY: the code of a descriptor block that cannot be allocated.
constexpr std::uint32_t kErrorNotEnoughMemory = 8;

namespace desc = platform::descriptor;

// A zero-filled descriptor block of the size a header announced; freed on every path.
struct DescriptorBlock {
    std::uint8_t* bytes = nullptr;
    std::uint32_t size = 0;
    DescriptorBlock() = default;
    DescriptorBlock(const DescriptorBlock&) = delete;
    DescriptorBlock& operator=(const DescriptorBlock&) = delete;
    ~DescriptorBlock() { std::free(bytes); }
    bool allocate(std::uint32_t length) {
        bytes = static_cast<std::uint8_t*>(std::calloc(length, 1));
        size = length;
        return bytes != nullptr;
    }
    bool held() const { return bytes != nullptr; }
    std::span<std::uint8_t> span() { return {bytes, size}; }
};

// One query; a tolerated failure clears the output again and counts as success.
bool Query(platform::Storage& storage, platform::DeviceHandle device,
           platform::StorageProperty property, std::span<std::uint8_t> out, std::uint32_t& error) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const platform::QueryResult result = storage.queryProperty(device, property, out);
    switch (result.status) {
    case platform::QueryStatus::Delivered:
        return true;
    case platform::QueryStatus::NotAvailable:
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        return true;
    case platform::QueryStatus::Failed:
        break;
    }
    error = result.error;
    return false;
}

// Header query, then the full descriptor of the size the header gave (none when it gave 0).
bool QueryDescriptor(platform::Storage& storage, platform::DeviceHandle device,
                     platform::StorageProperty property, DescriptorBlock& block,
                     std::uint32_t& error) {
    std::uint8_t header[desc::kHeaderSize] = {};
    if (!Query(storage, device, property, header, error)) {
        return false;
    }
    const std::uint32_t size = desc::readU32(header, 4);
    if (size == 0) {
        return true;
    }
    if (!block.allocate(size)) {
        error = kErrorNotEnoughMemory;
        return false;
    }
    return Query(storage, device, property, block.span(), error);
}

// Frees the buffer and closes the device; the caller holds the lock.
void Release(SptiContext& context) {
    if (context.m_pBlock) {
        context.m_pBlock.reset();
        context.m_pBuffer = nullptr;
    }
    if (context.m_hDevice != platform::DeviceHandle::None) {
        context.m_storage.close(context.m_hDevice);
        context.m_hDevice = platform::DeviceHandle::None;
    }
}

// The transfer buffer for the context's geometry. It is never smaller than the largest transfer
// issued on it, OP_IDENTIFY's 4096 bytes, whatever the transfer size.
bool AllocateBuffer(SptiContext& context) {
    const std::uint32_t mask = context.m_dwAlignmentMask;
    // Sized in 64 bits: a 32-bit sum that wrapped would leave the aligned buffer short.
    const std::uint64_t usable = std::max(context.m_dwTransferSize, kMinimumBufferSize);
    const std::uint64_t total = usable + mask;
    if (total > SIZE_MAX) {
        return false;
    }
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow)
                                              std::uint8_t[static_cast<std::size_t>(total)]);
    if (!block) {
        return false;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(block.get());
    const std::uintptr_t aligned = (address + mask) & ~static_cast<std::uintptr_t>(mask);
    context.m_pBuffer = block.get() + (aligned - address);
    context.m_pBlock = std::move(block);
    return true;
}

} // namespace

std::uint32_t ComputeTransferSize(std::uint32_t maximumTransferLength,
                                  std::uint32_t maximumPhysicalPages) {
    const std::uint32_t pages = maximumPhysicalPages <= 1 ? 1 : maximumPhysicalPages - 1;
    std::uint32_t size = pages * 4096u; // modulo 2^32, as the adapter's figures are taken
    if (size > maximumTransferLength) {
        size = maximumTransferLength;
    }
    if (size < 4096) {
        size = 4096;
    }
    // A chunk must fit the write command's 24-bit length field.
    return std::min(size, kMaximumTransferSize);
}

bool QueryTransferGeometry(platform::DeviceHandle device, SptiContext& context, std::uint32_t& mask,
                           std::uint32_t& error) {
    mask = 0;
    DescriptorBlock adapter;
    DescriptorBlock deviceDescriptor;
    platform::Storage& storage = context.m_storage;
    if (!QueryDescriptor(storage, device, platform::StorageProperty::Adapter, adapter, error) ||
        !QueryDescriptor(storage, device, platform::StorageProperty::Device, deviceDescriptor,
                         error)) {
        return false;
    }
    // A descriptor too short to hold the fields read from it counts as none.
    if (adapter.held() && adapter.size >= desc::adapter::kFieldsEnd) {
        const std::span<const std::uint8_t> bytes = adapter.span();
        context.m_dwTransferSize =
            ComputeTransferSize(desc::readU32(bytes, desc::adapter::kMaximumTransferLength),
                                desc::readU32(bytes, desc::adapter::kMaximumPhysicalPages));
        mask = desc::readU32(bytes, desc::adapter::kAlignmentMask);
    }
    return true;
}

std::int32_t OpenSptiContext(SptiContext& context, const char* path) {
    std::lock_guard guard(context.m_lock);
    const platform::OpenResult opened =
        context.m_storage.open(path, platform::OpenMode::PassThrough);
    if (opened.handle == platform::DeviceHandle::None) {
        return static_cast<std::int32_t>(opened.error);
    }
    Release(context);
    context.m_hDevice = opened.handle;
    std::uint32_t error = 0;
    if (!QueryTransferGeometry(context.m_hDevice, context, context.m_dwAlignmentMask, error)) {
        Release(context);
        return static_cast<std::int32_t>(error);
    }
    if (!AllocateBuffer(context)) {
        Release(context);
        return -1;
    }
    return 0;
}

void CloseSptiContext(SptiContext& context) {
    std::lock_guard guard(context.m_lock);
    Release(context);
}

void DestroySptiContext(SptiContext& context) {
    CloseSptiContext(context);
}
