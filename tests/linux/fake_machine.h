#pragma once
// A Linux machine in canned data, behind the backend's system interfaces: the device manager's
// records, SCSI generic nodes with a stick that answers the vendor commands, and host files.

#include "idle_platform.h"
#include "platform/linux/system_interfaces.h"
#include "platform/platform.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace test {

// The stick as the verified machine reports it: /dev/sr1 and /dev/sg2 at USB port 1-2, vendor
// "KORVALIN", model "QX-LM704" padded to 16, queue limits 120 KiB / 2048 / 511.
platform::linux_backend::UdevRecord StickRecord(const std::string& usbPort = "1-2",
                                                int nodeNumber = 1);
// A SATA DVD writer of another maker: /dev/sr0, /dev/sg0.
platform::linux_backend::UdevRecord DvdRecord();
// A SATA disk: /dev/sda, SCSI type 0.
platform::linux_backend::UdevRecord DiskRecord();

class FakeScanner final : public platform::linux_backend::DeviceScanner {
  public:
    std::vector<platform::linux_backend::UdevRecord> scan() override {
        ++scans;
        return devices;
    }
    std::vector<platform::linux_backend::UdevRecord> devices;
    int scans = 0;
};

struct SentCommand {
    std::string node;
    std::uint8_t opcode;
    platform::linux_backend::SgDirection direction;
    std::uint32_t length;
    std::uint32_t timeoutMs;
};

// SCSI generic nodes. A node named in `sticks` answers like the stick: identify with 36 bytes,
// status "done", every write accepted; any other node fails every command with CHECK CONDITION.
class FakeNodes final : public platform::linux_backend::DeviceNodes {
  public:
    int openForCommands(const std::string& node, int& error) override;
    platform::linux_backend::SgCompletion
    execute(int descriptor, const platform::linux_backend::SgCommand& command) override;
    void close(int descriptor) override;
    std::string groupOf(const std::string&) override { return "cdrom"; }

    std::vector<std::string> sticks;
    std::map<std::string, int> openErrors; // node -> errno
    std::vector<std::string> opened;       // every open asked for, in order
    std::vector<SentCommand> sent;
    int openNow = 0;

  private:
    std::map<int, std::string> m_descriptors;
    int m_next = 3;
};

class FakeHost final : public platform::linux_backend::HostFiles {
  public:
    std::string programPath() override { return program; }
    std::string mountInfo() override { return mounts; }
    std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                      std::size_t limit) override;
    std::optional<std::string> findEntry(const std::string& directory,
                                         const std::string& name) override;
    std::optional<std::vector<std::uint8_t>>
    readFromVolume(const std::string& source, const std::vector<std::string>& components,
                   std::size_t limit) override;

    std::string program = "/usr/bin/kestrun";
    std::string mounts;
    std::map<std::string, std::vector<std::uint8_t>> files;  // absolute path -> bytes
    std::map<std::string, std::vector<std::uint8_t>> volume; // "source:/NAME" -> bytes
    std::vector<std::string> volumeReads;                    // sources read without a mount
};

// Controls that do nothing; the other parts the backend does not provide are idle_platform.h's.
class NoControls final : public platform::DialogControls {
  public:
    void setText(int, std::string_view) override {}
    void enable(int, bool) override {}
    void setProgressRange(int, std::uint16_t, std::uint16_t) override {}
    void setProgressPos(int, int) override {}
    void enableCloseCommand(bool) override {}
};

} // namespace test
