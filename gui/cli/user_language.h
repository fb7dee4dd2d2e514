#pragma once
// The user's language for the program's texts, from the locale settings of the environment.

#include <cstdint>

namespace cli {

// A LANGID: 0x0411 for Japanese, 0x0409 for English and for anything not recognised.
std::uint16_t UserLanguage();

} // namespace cli
