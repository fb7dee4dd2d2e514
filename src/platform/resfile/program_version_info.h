#pragma once
// File version information in which the running program's own file is answered from its
// compiled version resource (RT_VERSION 1), as the system answers for an executable that
// carries one; every other file goes to the wrapped provider.
//
// Like GetFileVersionInfoA, the block handed out is the resource followed by a narrow (UTF-8)
// copy of each of its texts, so that a text value can be given as narrow text inside the block.

#include "platform/resources.h"
#include "platform/version_info.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::resfile {

class ProgramVersionInfo final : public VersionInfo {
  public:
    // `programPath` is the path the program's Drives report for itself.
    ProgramVersionInfo(VersionInfo& files, Resources& program, std::string programPath);

    std::uint32_t size(const char* path) override;
    bool read(const char* path, std::span<std::uint8_t> block) override;
    std::optional<std::span<const std::uint8_t>> queryValue(std::span<const std::uint8_t> block,
                                                            const char* subBlock) override;

  private:
    bool isProgram(const char* path) const;

    VersionInfo& m_files;
    const std::string m_programPath;
    std::size_t m_resourceLength = 0;
    std::vector<std::uint8_t> m_block; // empty: the program carries no version resource
};

} // namespace platform::resfile
