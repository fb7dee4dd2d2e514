#include "platform/pe/pe_version_info.h"

#include "platform/pe/pe_version_resource.h"
#include "platform/pe/version_block.h"

#include <algorithm>
#include <limits>

namespace platform::pe {

std::optional<std::vector<std::uint8_t>> PeVersionInfo::blockOf(const char* path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    if (m_files.isRunningProgram(path)) {
        return BuildVersionBlock(m_programVersion);
    }
    const auto file = m_files.read(path);
    if (!file) {
        return std::nullopt;
    }
    const auto resource = FindVersionResource(*file);
    return resource ? BuildVersionBlock(*resource) : std::nullopt;
}

std::uint32_t PeVersionInfo::size(const char* path) {
    const auto block = blockOf(path);
    if (!block || block->size() > std::numeric_limits<std::uint32_t>::max()) {
        return 0;
    }
    return static_cast<std::uint32_t>(block->size());
}

bool PeVersionInfo::read(const char* path, std::span<std::uint8_t> out) {
    const auto block = blockOf(path);
    if (!block || block->size() > out.size()) {
        return false;
    }
    std::copy(block->begin(), block->end(), out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(block->size()), out.end(), std::uint8_t{0});
    return true;
}

std::optional<std::span<const std::uint8_t>>
PeVersionInfo::queryValue(std::span<const std::uint8_t> block, const char* subBlock) {
    if (subBlock == nullptr) {
        return std::nullopt;
    }
    return QueryVersionValue(block, subBlock);
}

} // namespace platform::pe
