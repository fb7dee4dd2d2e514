#include "platform/linux/linux_storage.h"

#include "platform/linux/descriptor_synthesis.h"
#include "platform/linux/windows_paths.h"

#include <cerrno>

namespace platform::linux_backend {

OpenResult LinuxStorage::open(const char* path, OpenMode mode) {
    const auto letter = path != nullptr ? LetterOfDevicePath(path) : std::nullopt;
    if (!letter) {
        return {DeviceHandle::None, static_cast<std::uint32_t>(EINVAL)};
    }
    auto device = m_drives.resolve(*letter);
    if (!device) {
        return {DeviceHandle::None, static_cast<std::uint32_t>(ENOENT)};
    }
    OpenDevice opened{-1, std::move(*device)};
    if (mode == OpenMode::PassThrough) {
        const std::string& node = opened.device.sgNode;
        if (node.empty()) {
            return {DeviceHandle::None, static_cast<std::uint32_t>(ENODEV)};
        }
        int error = 0;
        opened.descriptor = m_nodes.openForCommands(node, error);
        if (opened.descriptor < 0) {
            if (error == EACCES || error == EPERM) {
                AccessDenial denial{node, error, m_nodes.groupOf(node)};
                std::lock_guard guard(m_mutex);
                m_denial = std::move(denial);
            }
            return {DeviceHandle::None, static_cast<std::uint32_t>(error != 0 ? error : EIO)};
        }
    }
    std::lock_guard guard(m_mutex);
    if (mode == OpenMode::PassThrough) {
        m_denial.reset();
    }
    const std::uintptr_t handle = m_nextHandle++;
    m_open.emplace(handle, std::move(opened));
    return {static_cast<DeviceHandle>(handle), 0};
}

void LinuxStorage::close(DeviceHandle device) {
    int descriptor = -1;
    {
        std::lock_guard guard(m_mutex);
        const auto found = m_open.find(static_cast<std::uintptr_t>(device));
        if (found == m_open.end()) {
            return;
        }
        descriptor = found->second.descriptor;
        m_open.erase(found);
    }
    if (descriptor >= 0) {
        m_nodes.close(descriptor);
    }
}

std::optional<LinuxStorage::OpenDevice> LinuxStorage::find(DeviceHandle device) const {
    std::lock_guard guard(m_mutex);
    const auto found = m_open.find(static_cast<std::uintptr_t>(device));
    if (found == m_open.end()) {
        return std::nullopt;
    }
    return found->second;
}

QueryResult LinuxStorage::queryProperty(DeviceHandle device, StorageProperty property,
                                        std::span<std::uint8_t> out) {
    const auto open = find(device);
    if (!open) {
        return {QueryStatus::Failed, static_cast<std::uint32_t>(EBADF)};
    }
    const BlockDevice& block = open->device;
    if (property == StorageProperty::Adapter) {
        // No queue limits: the adapter reports none, and the logic keeps its transfer size.
        const auto descriptor =
            block.queue
                ? std::optional(BuildAdapterDescriptor(MapQueueLimits(*block.queue), block.usb))
                : std::nullopt;
        return Deliver(descriptor, out);
    }
    return Deliver(BuildDeviceDescriptor(block), out);
}

bool LinuxStorage::passThrough(DeviceHandle device, PassThroughRequest& request) {
    // Only the descriptor is looked up: a command allocates nothing.
    int descriptor = -1;
    {
        std::lock_guard guard(m_mutex);
        const auto found = m_open.find(static_cast<std::uintptr_t>(device));
        if (found != m_open.end()) {
            descriptor = found->second.descriptor;
        }
    }
    if (descriptor < 0) {
        return false;
    }
    return ApplyCompletion(m_nodes.execute(descriptor, CommandOf(request)), request);
}

std::optional<AccessDenial> LinuxStorage::accessDenial() const {
    std::lock_guard guard(m_mutex);
    return m_denial;
}

} // namespace platform::linux_backend
