#include "platform/linux/access_denial.h"

#include <cstring>

namespace platform::linux_backend {

std::string AccessDenialHint(const AccessDenial& denial) {
    std::string line = "The LM704 stick was found but " + denial.node + " cannot be opened (" +
                       std::strerror(denial.error) +
                       "): install the udev rule 70-kestrun-lm704.rules and replug the stick";
    if (!denial.group.empty()) {
        line += ", or join the group \"" + denial.group + "\" and log in again";
    }
    return line + ".";
}

} // namespace platform::linux_backend
