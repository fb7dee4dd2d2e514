#include "pe_test_files.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test {

namespace {

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t value) {
    b.at(at) = static_cast<std::uint8_t>(value);
    b.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

std::filesystem::path TestPeFile(const std::string& name) {
    return std::filesystem::path(KESTRUN_TEST_PE_DIR) / name;
}

std::filesystem::path StandInQivar() {
    return KESTRUN_STANDIN_QIVAR_EXE;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::uint8_t> AsPe32(std::vector<std::uint8_t> pe) {
    const std::size_t coff = Get32(pe, 0x3C) + 4;
    const std::size_t optional = coff + 20;
    const std::size_t oldSize = pe.at(coff + 16) | pe.at(coff + 17) << 8;
    const std::size_t sections = pe.at(coff + 2) | pe.at(coff + 3) << 8;
    if ((pe.at(optional) | pe.at(optional + 1) << 8) != 0x20B) {
        throw std::runtime_error("not a PE32+ file");
    }
    const std::vector<std::uint8_t> old(pe.begin() + optional, pe.begin() + optional + oldSize);
    std::vector<std::uint8_t> header(oldSize - 16, 0);
    std::memcpy(&header[0], &old[0], 24);   // magic .. base of code
    std::memcpy(&header[28], &old[24], 4);  // image base, low half; base of data stays 0
    std::memcpy(&header[32], &old[32], 40); // alignments .. DLL characteristics
    for (std::size_t i = 0; i < 4; ++i) {   // stack and heap sizes, low halves
        std::memcpy(&header[72 + 4 * i], &old[72 + 8 * i], 4);
    }
    std::memcpy(&header[88], &old[104], oldSize - 104); // loader flags, count, directories
    Put16(header, 0, 0x10B);
    Put16(pe, coff, 0x14C); // i386
    Put16(pe, coff + 16, static_cast<std::uint16_t>(header.size()));
    const std::vector<std::uint8_t> table(pe.begin() + optional + oldSize,
                                          pe.begin() + optional + oldSize + sections * 40);
    std::fill(pe.begin() + optional, pe.begin() + optional + oldSize + sections * 40, 0);
    std::copy(header.begin(), header.end(), pe.begin() + optional);
    std::copy(table.begin(), table.end(), pe.begin() + optional + header.size());
    return pe;
}

} // namespace test
