#pragma once
// Little-endian reads from resource data with every read checked against the data's end. A read
// past the end marks the reader failed and yields zeros, so a parser checks once at the end.

#include <cstdint>
#include <span>
#include <string>

namespace platform::resfile {

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t offset = 0)
        : m_bytes(bytes), m_offset(offset), m_ok(offset <= bytes.size()) {}

    bool ok() const { return m_ok; }
    std::size_t offset() const { return m_offset; }
    std::size_t remaining() const { return m_ok ? m_bytes.size() - m_offset : 0; }

    std::uint8_t u8() { return take(1) ? m_bytes[m_offset - 1] : 0; }
    std::uint16_t u16() {
        return take(2)
                   ? static_cast<std::uint16_t>(m_bytes[m_offset - 2] | m_bytes[m_offset - 1] << 8)
                   : 0;
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | std::uint32_t{u16()} << 16;
    }
    std::span<const std::uint8_t> bytes(std::size_t count) {
        return take(count) ? m_bytes.subspan(m_offset - count, count)
                           : std::span<const std::uint8_t>{};
    }
    // A zero-terminated UTF-16 string; the reader stands after its zero.
    std::u16string string16() {
        std::u16string text;
        for (char16_t unit = u16(); m_ok && unit != 0; unit = u16()) {
            text += unit;
        }
        return text;
    }
    // Moves to the next multiple of `alignment` counted from the data's start.
    void align(std::size_t alignment) {
        const std::size_t aligned = (m_offset + alignment - 1) / alignment * alignment;
        if (m_ok && aligned > m_bytes.size()) {
            m_ok = false;
        } else if (m_ok) {
            m_offset = aligned;
        }
    }

  private:
    bool take(std::size_t count) {
        if (!m_ok || m_bytes.size() - m_offset < count) {
            m_ok = false;
            return false;
        }
        m_offset += count;
        return true;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset;
    bool m_ok;
};

} // namespace platform::resfile
