#pragma once
// The disc the stick's CD-ROM drive holds: an ISO 9660 volume in 2048-byte sectors, read-only.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vstick {

class Medium {
  public:
    static constexpr std::size_t kSectorSize = 2048;

    // The bytes are padded with zeros to whole sectors.
    Medium(std::string name, std::vector<std::uint8_t> bytes);

    const std::string& name() const { return m_name; }
    std::uint32_t sectors() const { return m_sectors; }
    // `count` sectors from `lba`; the caller checks the range.
    std::span<const std::uint8_t> read(std::uint32_t lba, std::uint32_t count) const;

  private:
    std::string m_name;
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_sectors = 0;
};

// An ISO 9660 volume descriptor ("CD001") in sector 16.
bool HasIso9660Signature(std::span<const std::uint8_t> bytes);

// The file at `path` as a medium named after it; nothing, with `error` set, when it cannot be
// read, is empty or holds no ISO 9660 volume.
std::shared_ptr<const Medium> LoadMedium(const std::string& path, std::string& error);

} // namespace vstick
