#pragma once
// The PC the tool runs on, as the front ends take it: its storage, drives and file versions,
// real time and threads, and the program's own resources (the compiled resource script linked
// into the executable), with the front end's dialog controls.
//
// On Linux the machine is the Linux backend's (src/platform/linux). Where a build has no
// storage backend of its own, the machine reports no drives, so the tool ends with "No Veskan
// Sticks were found." after its search.

#include "platform/host/std_clock.h"
#include "platform/host/std_threads.h"
#include "platform/platform.h"
#include "platform/resfile/res_file_resources.h"

#include <memory>
#include <optional>
#include <string>

namespace platform::host {

class HostMachine {
  public:
    virtual ~HostMachine() = default;
    virtual Platform& platform() = 0;
    // The program's own resources, for the front end's windows.
    virtual resfile::ResFileResources& programResources() = 0;
    // When the stick was seen but its pass-through node was refused for lack of rights: one
    // line that names the node and what to do.
    virtual std::optional<std::string> accessProblem() const { return std::nullopt; }
};

// `userLanguage`: the user's LANGID, which picks the language of the program's texts.
std::unique_ptr<HostMachine> OpenHostMachine(DialogControls& controls, std::uint16_t userLanguage);

} // namespace platform::host
