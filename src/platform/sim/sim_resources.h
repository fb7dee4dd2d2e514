#pragma once
// The program's resources: the scenario's synthesized images, or those of another provider
// (such as the images built into the program) passed through with every call recorded.

#include "platform/resources.h"
#include "platform/sim/machine_core.h"
#include "platform/sim/scenario.h"

#include <vector>

namespace sim {

class SimResources final : public platform::Resources {
  public:
    // With `external`, every find and load goes to it and `resources` is not used.
    SimResources(MachineCore& core, std::vector<ResourceSpec> resources,
                 platform::Resources* external);

    platform::ResourceHandle find(std::string_view typeName, std::uint16_t id) override;
    // The program's resources of ordinal type (strings, dialogs, icons, the version block) come
    // from the program provider when there is one, else from the external one.
    platform::ResourceHandle findOrdinal(std::uint16_t type, std::uint16_t id,
                                         std::optional<std::uint16_t> language) override;
    std::optional<std::span<const std::uint8_t>> load(platform::ResourceHandle resource) override;

    // Set before the tool runs.
    void setProgram(platform::Resources* program) { m_program = program; }

  private:
    struct Entry {
        ResourceSpec source;
        std::vector<std::uint8_t> bytes; // made on the first load, then kept unchanged
        bool made = false;
    };

    // Marks the program provider's handles among the scenario's.
    static constexpr std::uintptr_t kProgramHandle = std::uintptr_t{1}
                                                     << (sizeof(std::uintptr_t) * 8 - 1);

    MachineCore& m_core;
    std::vector<Entry> m_entries; // never resized after construction: loaded bytes stay put
    platform::Resources* m_external;
    platform::Resources* m_program = nullptr;
};

} // namespace sim
