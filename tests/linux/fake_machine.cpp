#include "fake_machine.h"

#include "platform/linux/ascii_case.h"

#include <algorithm>
#include <cstring>

namespace test {

using platform::linux_backend::SgCommand;
using platform::linux_backend::SgCompletion;
using platform::linux_backend::SgDirection;
using platform::linux_backend::UdevRecord;

namespace {

constexpr std::uint8_t kCheckCondition = 2;
constexpr std::uint8_t kStatusDone[12] = {0xAB, 0xC0, 0x52, 0x07, 0, 0, 0, 0, 1, 0, 0, 0};
constexpr std::uint32_t kIdentifyAnswer = 36;

} // namespace

UdevRecord StickRecord(const std::string& usbPort, int nodeNumber) {
    UdevRecord record;
    record.sysname = "sr" + std::to_string(nodeNumber);
    record.syspath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + usbPort + "/" + usbPort +
                     ":1.0/host6/target6:0:0/6:0:0:0/block/" + record.sysname;
    record.devnode = "/dev/" + record.sysname;
    record.major = 11;
    record.minor = static_cast<std::uint32_t>(nodeNumber);
    record.attributes = {
        {"device/type", "5\n"},
        {"device/vendor", "KORVALIN\n"},
        {"device/model", "QX-LM704        \n"},
        {"device/rev", "1.00\n"},
        {"removable", "1\n"},
        {"queue/max_hw_sectors_kb", "120\n"},
        {"queue/max_segments", "2048\n"},
        {"queue/dma_alignment", "511\n"},
    };
    record.properties = {{"ID_CDROM", "1"}, {"ID_BUS", "usb"}};
    record.usbDevice = usbPort;
    record.scsiDevice = std::to_string(5 + nodeNumber) + ":0:0:0";
    record.sgNode = "/dev/sg" + std::to_string(nodeNumber + 1);
    return record;
}

UdevRecord DvdRecord() {
    UdevRecord record;
    record.sysname = "sr0";
    record.syspath =
        "/sys/devices/pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sr0";
    record.devnode = "/dev/sr0";
    record.major = 11;
    record.minor = 0;
    record.attributes = {
        {"device/type", "5\n"},
        {"device/vendor", "HL-DT-ST\n"},
        {"device/model", "DVDRAM GH24NSD1\n"},
        {"device/rev", "LG00\n"},
        {"removable", "1\n"},
        {"queue/max_hw_sectors_kb", "512\n"},
        {"queue/max_segments", "168\n"},
        {"queue/dma_alignment", "3\n"},
    };
    record.properties = {{"ID_CDROM", "1"}, {"ID_PATH", "pci-0000:00:17.0-ata-2"}};
    record.scsiDevice = "1:0:0:0";
    record.sgNode = "/dev/sg0";
    return record;
}

UdevRecord DiskRecord() {
    UdevRecord record;
    record.sysname = "sda";
    record.syspath =
        "/sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
    record.devnode = "/dev/sda";
    record.major = 8;
    record.attributes = {{"device/type", "0\n"},
                         {"device/vendor", "ATA     \n"},
                         {"device/model", "SAMSUNG SSD 870\n"},
                         {"removable", "0\n"}};
    record.properties = {{"ID_PATH", "pci-0000:00:17.0-ata-1"}};
    record.scsiDevice = "0:0:0:0";
    record.sgNode = "/dev/sg1";
    return record;
}

int FakeNodes::openForCommands(const std::string& node, int& error) {
    opened.push_back(node);
    const auto refused = openErrors.find(node);
    if (refused != openErrors.end()) {
        error = refused->second;
        return -1;
    }
    error = 0;
    ++openNow;
    m_descriptors[m_next] = node;
    return m_next++;
}

SgCompletion FakeNodes::execute(int descriptor, const SgCommand& command) {
    const std::string node = m_descriptors.at(descriptor);
    sent.push_back(
        SentCommand{node, command.cdb[0], command.direction, command.length, command.timeoutMs});
    SgCompletion completion;
    completion.ioctlOk = true;
    if (std::find(sticks.begin(), sticks.end(), node) == sticks.end()) {
        completion.scsiStatus = kCheckCondition;
        completion.driverStatus = 0x08; // sense data present
        completion.residual = static_cast<std::int32_t>(command.length);
        return completion;
    }
    auto* data = static_cast<std::uint8_t*>(command.data);
    std::uint32_t moved = command.length;
    if (command.cdb[0] == 0xE7) {
        moved = std::min(command.length, kIdentifyAnswer);
        std::memset(data, 0x49, moved);
    } else if (command.cdb[0] == 0xEF) {
        moved = std::min<std::uint32_t>(command.length, sizeof kStatusDone);
        std::memcpy(data, kStatusDone, moved);
    }
    completion.residual = static_cast<std::int32_t>(command.length - moved);
    return completion;
}

void FakeNodes::close(int descriptor) {
    m_descriptors.erase(descriptor);
    --openNow;
}

std::optional<std::vector<std::uint8_t>> FakeHost::readFile(const std::string& path,
                                                            std::size_t limit) {
    const auto found = files.find(path);
    if (found == files.end() || found->second.size() > limit) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> FakeHost::findEntry(const std::string& directory,
                                               const std::string& name) {
    const std::string prefix = directory + (directory.back() == '/' ? "" : "/");
    for (const auto& [path, bytes] : files) {
        const std::string entry =
            path.substr(0, prefix.size()) == prefix
                ? path.substr(prefix.size(), path.find('/', prefix.size()) - prefix.size())
                : std::string();
        if (!entry.empty() && platform::linux_backend::EqualIgnoringAsciiCase(entry, name)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>>
FakeHost::readFromVolume(const std::string& source, const std::vector<std::string>& components,
                         std::size_t limit) {
    volumeReads.push_back(source);
    std::string path = source + ":";
    for (const std::string& component : components) {
        path += "/" + component;
    }
    for (const auto& [stored, bytes] : volume) {
        if (platform::linux_backend::EqualIgnoringAsciiCase(stored, path) &&
            bytes.size() <= limit) {
            return bytes;
        }
    }
    return std::nullopt;
}

} // namespace test
