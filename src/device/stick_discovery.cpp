#include "device/stick_discovery.h"

#include "device/vendor_commands.h"
#include "platform/storage_descriptors.h"
#include "ui/kestrun_dlg.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

namespace {

namespace desc = platform::descriptor;

constexpr std::size_t kDescriptorBufferSize = 4096;
constexpr std::size_t kDriveListSize = 256;
constexpr std::size_t kModulePathSize = 260;
constexpr std::size_t kIdentifierLength = 8;

// The identifier at `offset` begins with `expected`; the comparison stays inside the buffer and
// fails when it would not fit.
bool IdentifierMatches(std::span<const std::uint8_t> buffer, std::size_t offsetField,
                       std::string_view expected) {
    const std::uint32_t offset = desc::readU32(buffer, offsetField);
    if (offset == 0 || offset > buffer.size() || buffer.size() - offset < expected.size()) {
        return false;
    }
    return std::memcmp(buffer.data() + offset, expected.data(), expected.size()) == 0;
}

} // namespace

void FormatDevicePath(std::span<char> path, char letter) {
    std::snprintf(path.data(), path.size(), "\\\\.\\%c:", letter);
}

int GetModuleDrive(platform::Platform& system, std::span<char> root) {
    if (root.size() < 4) {
        return -1;
    }
    std::array<char, kModulePathSize> path{};
    system.drives.moduleFileName(path);
    // The drive component: a letter and a colon, or nothing when the path has none.
    const bool hasDrive = path[0] != '\0' && path[1] == ':';
    root[0] = hasDrive ? path[0] : '\0';
    root[1] = hasDrive ? ':' : '\0';
    root[2] = '\\';
    root[3] = '\0';
    return 0;
}

bool IsStickDevice(platform::Platform& system, const char* root) {
    char path[8];
    FormatDevicePath(path, root[0]);
    const platform::OpenResult opened =
        system.storage.open(path, platform::OpenMode::DescriptorQuery);
    if (opened.handle == platform::DeviceHandle::None) {
        return false;
    }
    auto buffer = std::make_unique<std::array<std::uint8_t, kDescriptorBufferSize>>();
    const platform::QueryResult result =
        system.storage.queryProperty(opened.handle, platform::StorageProperty::Device, *buffer);
    system.storage.close(opened.handle);

    const std::span<const std::uint8_t> descriptor = *buffer;
    return result.status == platform::QueryStatus::Delivered &&
           desc::readU32(descriptor, desc::device::kBusType) == desc::kBusTypeUsb &&
           IdentifierMatches(descriptor, desc::device::kVendorIdOffset,
                             std::string_view(kStickVendor, kIdentifierLength)) &&
           IdentifierMatches(descriptor, desc::device::kProductIdOffset,
                             std::string_view(kStickProduct, kIdentifierLength));
}

int ProbeStickDrive(const char* root, CKestrunDlg& dlg) {
    if (root == nullptr) {
        return 0;
    }
    platform::Platform& system = dlg.system();
    if (system.drives.driveType(root) != platform::kDriveCdrom || !IsStickDevice(system, root)) {
        return 0;
    }
    SptiContext& context = *dlg.m_pSpti;
    {
        std::lock_guard guard(context.m_lock);
        FormatDevicePath(context.m_szPath, root[0]);
    }
    if (OpenSptiContext(context, context.m_szPath) != 0) {
        return 0;
    }
    auto reply = std::make_unique<std::array<std::uint8_t, kIdentifyLength>>();
    std::int32_t count;
    {
        std::lock_guard guard(context.m_lock);
        count = SendIdentify(context, *reply);
    }
    CloseSptiContext(context);
    return count > 0 ? 1 : 0;
}

int FindStickDrive(char* letter, CKestrunDlg& dlg) {
    if (letter == nullptr) {
        return -1;
    }
    std::array<char, kDriveListSize> list{};
    const std::uint32_t written = dlg.system().drives.logicalDriveStrings(list);
    list.back() = '\0';
    // A failed call, or a list that does not fit, is no list at all. Only what the call wrote
    // is walked, and the walk never leaves the buffer.
    const std::size_t end = (written == 0 || written >= list.size()) ? 0 : written;
    std::size_t position = 0;
    while (position < end && list[position] != '\0') {
        const char* root = &list[position];
        if (ProbeStickDrive(root, dlg) == 1) {
            *letter = root[0];
            return 0;
        }
        position += std::strlen(root) + 1;
    }
    *letter = 0;
    return -3;
}

void LocateStick(CKestrunDlg& dlg) {
    dlg.m_chDrive = 0;
    char root[4] = {};
    GetModuleDrive(dlg.system(), root);
    if (ProbeStickDrive(root, dlg) == 1) {
        dlg.m_chDrive = root[0];
        return;
    }
    for (int scan = 0; scan < kMaxScans; ++scan) {
        char letter = 0;
        if (FindStickDrive(&letter, dlg) == 0) {
            dlg.m_chDrive = letter;
            return;
        }
        dlg.system().clock.sleep(kScanPauseMs);
    }
}
