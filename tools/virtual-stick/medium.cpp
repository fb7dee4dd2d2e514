#include "medium.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace vstick {

Medium::Medium(std::string name, std::vector<std::uint8_t> bytes)
    : m_name(std::move(name)), m_bytes(std::move(bytes)) {
    const std::size_t sectors = (m_bytes.size() + kSectorSize - 1) / kSectorSize;
    m_bytes.resize(sectors * kSectorSize);
    m_sectors = static_cast<std::uint32_t>(
        std::min<std::size_t>(sectors, std::numeric_limits<std::uint32_t>::max()));
}

std::span<const std::uint8_t> Medium::read(std::uint32_t lba, std::uint32_t count) const {
    return std::span(m_bytes).subspan(std::size_t{lba} * kSectorSize,
                                      std::size_t{count} * kSectorSize);
}

bool HasIso9660Signature(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kAt = 16 * Medium::kSectorSize + 1;
    return bytes.size() >= kAt + 5 && std::memcmp(bytes.data() + kAt, "CD001", 5) == 0;
}

std::shared_ptr<const Medium> LoadMedium(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be opened";
        return nullptr;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = path + ": cannot be read";
        return nullptr;
    }
    if (!HasIso9660Signature(bytes)) {
        error = path + ": not an ISO 9660 volume (no CD001 in sector 16)";
        return nullptr;
    }
    const std::size_t slash = path.find_last_of('/');
    return std::make_shared<const Medium>(
        slash == std::string::npos ? path : path.substr(slash + 1), std::move(bytes));
}

} // namespace vstick
