#pragma once
// The system calls the Linux backend makes, behind small interfaces: the device manager's scan,
// the device nodes, and the host's files. The backend's classes take these by reference, so that
// tests run them on canned machines; system_*.cpp implement them on the real one.

#include "platform/linux/sg_exchange.h"
#include "platform/linux/udev_record.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::linux_backend {

class DeviceScanner {
  public:
    virtual ~DeviceScanner() = default;
    // The disk-type block devices on a SCSI bus, as the device manager sees them now.
    virtual std::vector<UdevRecord> scan() = 0;
};

class DeviceNodes {
  public:
    virtual ~DeviceNodes() = default;
    // Opens a SCSI generic node for reading and writing; a descriptor, or -1 with errno in
    // `error`.
    virtual int openForCommands(const std::string& node, int& error) = 0;
    virtual SgCompletion execute(int descriptor, const SgCommand& command) = 0;
    virtual void close(int descriptor) = 0;
    // The name of the group that owns the node; empty when unknown.
    virtual std::string groupOf(const std::string& node) = 0;
};

class HostFiles {
  public:
    virtual ~HostFiles() = default;
    // The running program's absolute path, links resolved; empty when unknown.
    virtual std::string programPath() = 0;
    // The text of /proc/self/mountinfo.
    virtual std::string mountInfo() = 0;
    // A file's bytes; nothing when missing, unreadable or longer than `limit`.
    virtual std::optional<std::vector<std::uint8_t>> readFile(const std::string& path,
                                                              std::size_t limit) = 0;
    // The name of the entry of `directory` that equals `name` without regard to ASCII case (an
    // exact match first); nothing when none does.
    virtual std::optional<std::string> findEntry(const std::string& directory,
                                                 const std::string& name) = 0;
    // A file of the ISO 9660 volume (Joliet names where present) on the device or image at
    // `source`, found by its names below the root without regard to case, read without mounting.
    virtual std::optional<std::vector<std::uint8_t>>
    readFromVolume(const std::string& source, const std::vector<std::string>& components,
                   std::size_t limit) = 0;
};

} // namespace platform::linux_backend
