#pragma once
// Why the stick could not be reached although it was seen: its SCSI generic node exists but the
// user may not open it. The terminal front end prints AccessDenialHint() as its one line on
// stderr after "No Veskan Sticks were found."; the GUI says nothing more than the message.

#include <string>

namespace platform::linux_backend {

struct AccessDenial {
    std::string node;  // "/dev/sg1"
    int error = 0;     // EACCES or EPERM
    std::string group; // the node's group, "cdrom"; empty when unknown
};

// One line, without its line end: which node, why, and what to do about it.
std::string AccessDenialHint(const AccessDenial& denial);

} // namespace platform::linux_backend
