#include "platform/sim/sim_version_info.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace sim {

namespace {

constexpr std::string_view kResidentApplication = "QivarGUIMain.exe";
constexpr std::string_view kInstalledTranslation = "000004b0";

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

SimVersionInfo::SimVersionInfo(MachineCore& core, DriveBay& bay, std::string modulePath,
                               const FileVersion& toolVersion)
    : m_core(core), m_bay(bay), m_modulePath(std::move(modulePath)),
      m_toolBlock(BuildVersionBlock(toolVersion, std::nullopt, {})) {}

SimVersionInfo::Found SimVersionInfo::lookUp(const char* path) const {
    if (path == nullptr) {
        return {};
    }
    const std::string_view text(path);
    if (SameName(text, m_modulePath)) {
        return Found{m_toolBlock, true};
    }
    // "E:\name", a file in a drive's root.
    if (text.size() < 4 || text[1] != ':' || text[2] != '\\' ||
        text.find('\\', 3) != std::string_view::npos) {
        return {};
    }
    const DriveSpec* drive = m_bay.find(text[0]);
    const std::uint64_t now = m_core.now();
    if (drive == nullptr || !m_bay.present(*drive, now)) {
        return {};
    }
    const std::string_view name = text.substr(3);
    if (drive->stick && SameName(name, kResidentApplication)) {
        if (const std::string* installed = m_bay.stick().installedVersion(now)) {
            return Found{
                BuildVersionBlock(LeadingNumbers(*installed), *installed, kInstalledTranslation),
                true};
        }
    }
    for (const FileSpec& file : drive->files) {
        if (!SameName(name, file.name) || file.block == VersionBlockState::Missing) {
            continue;
        }
        return Found{BuildVersionBlock(LeadingNumbers(file.productVersion.value_or("")),
                                       file.productVersion, file.translation),
                     file.block == VersionBlockState::Ok};
    }
    return {};
}

std::uint32_t SimVersionInfo::size(const char* path) {
    std::lock_guard lock(m_core.mutex);
    const auto size = static_cast<std::uint32_t>(lookUp(path).block.size());
    m_core.record("version_size", [&](auto& f) {
        f["path"] = path != nullptr ? path : "";
        f["size"] = size;
    });
    return size;
}

bool SimVersionInfo::read(const char* path, std::span<std::uint8_t> block) {
    std::lock_guard lock(m_core.mutex);
    const Found found = lookUp(path);
    const bool ok = !found.block.empty() && found.readable;
    if (ok && !block.empty()) {
        // A short buffer gets the block's beginning, as the system does.
        std::memcpy(block.data(), found.block.data(), std::min(block.size(), found.block.size()));
    }
    m_core.record("version_read", [&](auto& f) {
        f["path"] = path != nullptr ? path : "";
        f["size"] = block.size();
        f["ok"] = ok;
    });
    return ok;
}

std::optional<std::span<const std::uint8_t>>
SimVersionInfo::queryValue(std::span<const std::uint8_t> block, const char* subBlock) {
    std::lock_guard lock(m_core.mutex);
    const auto value = subBlock != nullptr ? FindVersionValue(block, subBlock) : std::nullopt;
    m_core.record("version_query", [&](auto& f) {
        f["sub_block"] = subBlock != nullptr ? subBlock : "";
        f["found"] = value.has_value();
        f["length"] = value ? value->size() : 0;
    });
    return value;
}

} // namespace sim
