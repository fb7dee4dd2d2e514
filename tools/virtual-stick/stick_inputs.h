#pragma once
// What the virtual stick starts from: the scenario's script for the stick, and the disc it holds.

#include "medium.h"

#include "platform/sim/stick_script.h"

#include <memory>
#include <optional>
#include <string>

namespace vstick {

struct StickInputs {
    sim::StickScript script;
    std::shared_ptr<const Medium> medium;
};

// Nothing, with `error` set, when the scenario does not load or has no stick drive, or the medium
// is no ISO 9660 volume.
std::optional<StickInputs> LoadStickInputs(const std::string& scenarioPath,
                                           const std::string& mediumPath, std::string& error);

} // namespace vstick
