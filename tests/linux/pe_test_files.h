#pragma once
// The PE files the build makes for these tests, and ways to damage or rewrite them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace test {

// The folder of the test PE files (other_translation.exe, long_text.exe, no_version.exe,
// two_languages.exe) and the stand-in QivarGUIMain.exe.
std::filesystem::path TestPeFile(const std::string& name);
std::filesystem::path StandInQivar();

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

// The same program as a 32-bit PE file: the PE32+ optional header rewritten in the PE32 layout
// (16 bytes shorter) and the section table moved up behind it. The linker at hand makes 64-bit
// files only.
std::vector<std::uint8_t> AsPe32(std::vector<std::uint8_t> pe32Plus);

} // namespace test
