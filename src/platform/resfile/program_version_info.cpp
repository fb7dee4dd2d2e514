#include "platform/resfile/program_version_info.h"

#include "platform/resfile/version_resource.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cstring>

namespace platform::resfile {

namespace {

constexpr std::uint16_t kVersionResourceId = 1;

std::string NarrowText(const VersionValue& value) {
    std::u16string units(value.bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(value.bytes[2 * i] | value.bytes[2 * i + 1] << 8);
    }
    return NarrowFromUtf16(units);
}

} // namespace

ProgramVersionInfo::ProgramVersionInfo(VersionInfo& files, Resources& program,
                                       std::string programPath)
    : m_files(files), m_programPath(std::move(programPath)) {
    const ResourceHandle found = program.findOrdinal(kRtVersion, kVersionResourceId, std::nullopt);
    const auto resource = program.load(found);
    if (!resource || !IsVersionInfo(*resource)) {
        return;
    }
    m_resourceLength = resource->size();
    m_block.assign(resource->begin(), resource->end());
    ForEachVersionText(*resource, [this](const VersionValue& value) {
        const std::string text = NarrowText(value);
        m_block.insert(m_block.end(), text.begin(), text.end());
        m_block.push_back(0);
    });
}

bool ProgramVersionInfo::isProgram(const char* path) const {
    return path != nullptr && m_programPath == path;
}

std::uint32_t ProgramVersionInfo::size(const char* path) {
    return isProgram(path) ? static_cast<std::uint32_t>(m_block.size()) : m_files.size(path);
}

bool ProgramVersionInfo::read(const char* path, std::span<std::uint8_t> block) {
    if (!isProgram(path)) {
        return m_files.read(path, block);
    }
    if (m_block.empty()) {
        return false;
    }
    std::memcpy(block.data(), m_block.data(), std::min(block.size(), m_block.size()));
    return true;
}

std::optional<std::span<const std::uint8_t>>
ProgramVersionInfo::queryValue(std::span<const std::uint8_t> block, const char* subBlock) {
    if (m_block.empty() || block.size() != m_block.size() || !IsVersionInfo(block)) {
        return m_files.queryValue(block, subBlock);
    }
    const auto resource = block.first(m_resourceLength);
    const auto value = FindVersionValue(resource, subBlock != nullptr ? subBlock : "");
    if (!value) {
        return std::nullopt;
    }
    if (!value->text) {
        return value->bytes;
    }
    // The narrow copies follow the resource in the order of its texts.
    std::size_t narrow = m_resourceLength;
    bool found = false;
    ForEachVersionText(resource, [&](const VersionValue& text) {
        if (found) {
            return;
        }
        if (text.bytes.data() == value->bytes.data()) {
            found = true;
            return;
        }
        narrow += NarrowText(text).size() + 1;
    });
    const auto copy = block.subspan(narrow);
    const auto end = std::find(copy.begin(), copy.end(), std::uint8_t{0});
    return copy.first(static_cast<std::size_t>(end - copy.begin()) + 1);
}

} // namespace platform::resfile
