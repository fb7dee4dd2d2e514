#pragma once
// The version block of a simulated file. Its layout is the simulator's own (the tool treats
// the block as opaque): a run of entries, each a value filed under a name such as "\" or
// "\StringFileInfo\000004b0\ProductVersion", looked up without regard to case.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
inline constexpr std::size_t kFixedFileInfoSize = 52;

using FileVersion = std::array<std::uint16_t, 4>;

// "4.0.1.3": four numbers of 0..65535 separated by full stops.
bool ParseDottedVersion(std::string_view text, FileVersion& version);
// The leading numbers of a ProductVersion text such as "1, 0, 2, 7"; missing ones are 0.
FileVersion LeadingNumbers(std::string_view text);

// VS_FIXEDFILEINFO of a file with this file and product version, little-endian.
std::array<std::uint8_t, kFixedFileInfoSize> FixedFileInfo(const FileVersion& version);

class VersionBlockBuilder {
  public:
    void add(std::string_view name, std::span<const std::uint8_t> value);
    // The text with its terminating zero.
    void addText(std::string_view name, std::string_view text);
    std::vector<std::uint8_t> bytes() const { return m_bytes; }

  private:
    std::vector<std::uint8_t> m_bytes;
};

// The value filed under `name`; nothing when the block holds none or is malformed.
std::optional<std::span<const std::uint8_t>> FindVersionValue(std::span<const std::uint8_t> block,
                                                              std::string_view name);

// The block of a program file: the fixed information and, when given, the ProductVersion text
// in the string table of `translation` ("000004b0") with the matching translation entry.
std::vector<std::uint8_t> BuildVersionBlock(const FileVersion& fileVersion,
                                            const std::optional<std::string>& productVersion,
                                            std::string_view translation);

} // namespace sim
