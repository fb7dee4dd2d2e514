#pragma once
// Hands out the bytes of one fuzz input field by field; once the input is used up every read
// gives zero, so that a target never reads past the input.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}

    bool empty() const { return m_position >= m_bytes.size(); }

    std::uint8_t byte() { return empty() ? 0 : m_bytes[m_position++]; }

    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= std::uint32_t{byte()} << (8 * i);
        }
        return value;
    }

    // Up to `count` bytes; fewer at the input's end.
    std::span<const std::uint8_t> take(std::size_t count) {
        const std::size_t n =
            std::min(count, m_bytes.size() - std::min(m_position, m_bytes.size()));
        const auto part = m_bytes.subspan(std::min(m_position, m_bytes.size()), n);
        m_position += n;
        return part;
    }

    std::span<const std::uint8_t> rest() { return take(m_bytes.size()); }

  private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

// Stops the run with a report libFuzzer and the replay tests both see.
[[noreturn]] void Fail(const char* what);
inline void Require(bool condition, const char* what) {
    if (!condition) {
        Fail(what);
    }
}

} // namespace fuzz
