#pragma once
// Builds small compiled resource files (.res) in memory, laid out as windres lays them out, so
// that the reader can be tried on files with known contents and on damaged copies of them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace testing_res {

// An ordinal, or a name written as UTF-16.
using Key = std::variant<std::uint16_t, std::u16string>;

struct Resource {
    Key type;
    Key name;
    std::uint16_t language;
    std::vector<std::uint8_t> data;
};

// Where the first resource's header starts: after the 32-byte empty entry.
inline constexpr std::size_t kFirstEntry = 32;
inline constexpr std::size_t kDataSizeField = 0;   // within an entry
inline constexpr std::size_t kHeaderSizeField = 4; // within an entry
inline constexpr std::size_t kTypeField = 8;       // within an entry

std::vector<std::uint8_t> BuildResFile(const std::vector<Resource>& resources);

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset);

} // namespace testing_res
