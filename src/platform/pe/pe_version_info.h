#pragma once
// VersionInfo on systems without the version calls: the version block of a PE file, or of the
// running program, whose version resource sits among its embedded resources.

#include "platform/version_info.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::pe {

// Where the files named by the tool's paths are read from.
class FileSource {
  public:
    virtual ~FileSource() = default;
    // The file's bytes; nothing when it is missing, unreadable or too large to be a program.
    virtual std::optional<std::vector<std::uint8_t>> read(const char* path) = 0;
    // True when the path names the running program itself.
    virtual bool isRunningProgram(const char* path) = 0;
};

class PeVersionInfo final : public VersionInfo {
  public:
    // `programVersion`: the running program's version resource (VS_VERSIONINFO); may be empty.
    PeVersionInfo(FileSource& files, std::span<const std::uint8_t> programVersion)
        : m_files(files), m_programVersion(programVersion) {}

    std::uint32_t size(const char* path) override;
    // False also when the file has changed since `size` so that its block no longer fits.
    bool read(const char* path, std::span<std::uint8_t> block) override;
    std::optional<std::span<const std::uint8_t>> queryValue(std::span<const std::uint8_t> block,
                                                            const char* subBlock) override;

  private:
    std::optional<std::vector<std::uint8_t>> blockOf(const char* path);

    FileSource& m_files;
    std::span<const std::uint8_t> m_programVersion;
};

} // namespace platform::pe
