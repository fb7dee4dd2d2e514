#include "platform/sim/sim_resources.h"

#include "platform/sim/synthetic_payload.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sim {

namespace {

bool SameTypeName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

SimResources::SimResources(MachineCore& core, std::vector<ResourceSpec> resources,
                           platform::Resources* external)
    : m_core(core), m_external(external) {
    if (external == nullptr) {
        for (ResourceSpec& source : resources) {
            m_entries.push_back(Entry{std::move(source), {}, false});
        }
    }
}

platform::ResourceHandle SimResources::find(std::string_view typeName, std::uint16_t id) {
    std::lock_guard lock(m_core.mutex);
    platform::ResourceHandle handle = platform::ResourceHandle::None;
    if (m_external != nullptr) {
        handle = m_external->find(typeName, id);
    } else {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].source.id == id && SameTypeName(m_entries[i].source.type, typeName)) {
                handle = static_cast<platform::ResourceHandle>(i + 1);
                break;
            }
        }
    }
    m_core.record("resource_find", [&](auto& f) {
        f["type"] = std::string(typeName);
        f["id"] = id;
        f["handle"] = static_cast<std::uintptr_t>(handle);
    });
    return handle;
}

platform::ResourceHandle SimResources::findOrdinal(std::uint16_t type, std::uint16_t id,
                                                   std::optional<std::uint16_t> language) {
    std::lock_guard lock(m_core.mutex);
    platform::ResourceHandle handle = platform::ResourceHandle::None;
    if (m_program != nullptr && m_program != m_external) {
        handle = m_program->findOrdinal(type, id, language);
        if (handle != platform::ResourceHandle::None) {
            handle = static_cast<platform::ResourceHandle>(static_cast<std::uintptr_t>(handle) |
                                                           kProgramHandle);
        }
    } else if (m_external != nullptr) {
        handle = m_external->findOrdinal(type, id, language);
    }
    m_core.record("resource_find", [&](auto& f) {
        f["type"] = type;
        f["id"] = id;
        if (language) {
            f["language"] = *language;
        }
        f["handle"] = static_cast<std::uintptr_t>(handle);
    });
    return handle;
}

std::optional<std::span<const std::uint8_t>> SimResources::load(platform::ResourceHandle resource) {
    std::lock_guard lock(m_core.mutex);
    std::optional<std::span<const std::uint8_t>> bytes;
    const auto index = static_cast<std::uintptr_t>(resource);
    if (m_program != nullptr && m_program != m_external && (index & kProgramHandle) != 0) {
        bytes = m_program->load(static_cast<platform::ResourceHandle>(index & ~kProgramHandle));
    } else if (m_external != nullptr) {
        bytes = m_external->load(resource);
    } else if (index >= 1 && index <= m_entries.size()) {
        Entry& entry = m_entries[index - 1];
        if (entry.source.load == ResourceLoad::Ok) {
            if (!entry.made) {
                entry.bytes = SynthesizeImage(entry.source);
                entry.made = true;
            }
            bytes = std::span<const std::uint8_t>(entry.bytes);
        }
    }
    m_core.record("resource_load", [&](auto& f) {
        f["handle"] = index;
        f["ok"] = bytes.has_value();
        f["length"] = bytes ? bytes->size() : 0;
    });
    return bytes;
}

} // namespace sim
