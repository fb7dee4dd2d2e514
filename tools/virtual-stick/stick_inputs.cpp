#include "stick_inputs.h"

#include "platform/sim/scenario.h"

#include <algorithm>

namespace vstick {

std::optional<StickInputs> LoadStickInputs(const std::string& scenarioPath,
                                           const std::string& mediumPath, std::string& error) {
    sim::Scenario scenario;
    if (!sim::LoadScenarioFile(scenarioPath, scenario, error)) {
        return std::nullopt; // the error names the file
    }
    const bool hasStick = std::any_of(scenario.drives.begin(), scenario.drives.end(),
                                      [](const sim::DriveSpec& drive) { return drive.stick; });
    if (!hasStick) {
        error = scenarioPath +
                ": the scenario has no stick drive (a drive with \"stick\": true); there is no "
                "stick to play";
        return std::nullopt;
    }
    StickInputs inputs;
    inputs.medium = LoadMedium(mediumPath, error);
    if (!inputs.medium) {
        return std::nullopt;
    }
    inputs.script = std::move(scenario.stick);
    return inputs;
}

} // namespace vstick
