#include "platform/linux/system_device_nodes.h"

#include <fcntl.h>
#include <grp.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform::linux_backend {

int SystemDeviceNodes::openForCommands(const std::string& node, int& error) {
    // O_NONBLOCK: an sg node held exclusively by someone else fails at once instead of waiting.
    const int descriptor = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    error = descriptor < 0 ? errno : 0;
    return descriptor;
}

SgCompletion SystemDeviceNodes::execute(int descriptor, const SgCommand& command) {
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    switch (command.direction) {
    case SgDirection::None:
        header.dxfer_direction = SG_DXFER_NONE;
        break;
    case SgDirection::ToDevice:
        header.dxfer_direction = SG_DXFER_TO_DEV;
        break;
    case SgDirection::FromDevice:
        header.dxfer_direction = SG_DXFER_FROM_DEV;
        break;
    }
    header.cmd_len = command.cdbLength;
    header.mx_sb_len = command.senseLength;
    header.dxfer_len = command.length;
    header.dxferp = command.data;
    // The driver only reads the CDB.
    header.cmdp = const_cast<unsigned char*>(command.cdb);
    header.sbp = command.sense;
    header.timeout = command.timeoutMs;
    SgCompletion completion;
    completion.ioctlOk = ::ioctl(descriptor, SG_IO, &header) == 0;
    completion.error = completion.ioctlOk ? 0 : errno;
    completion.scsiStatus = header.status;
    completion.hostStatus = header.host_status;
    completion.driverStatus = header.driver_status;
    completion.residual = header.resid;
    return completion;
}

void SystemDeviceNodes::close(int descriptor) {
    ::close(descriptor);
}

std::string SystemDeviceNodes::groupOf(const std::string& node) {
    struct stat status {};
    if (::stat(node.c_str(), &status) != 0) {
        return {};
    }
    group entry{};
    group* found = nullptr;
    std::vector<char> text(4096);
    if (::getgrgid_r(status.st_gid, &entry, text.data(), text.size(), &found) != 0 ||
        found == nullptr) {
        return {};
    }
    return found->gr_name;
}

} // namespace platform::linux_backend
