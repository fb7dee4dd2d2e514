#pragma once
// The program's string tables: blocks of 16 strings (RT_STRING), string id / 16 + 1 being the
// block's id and id % 16 the entry's place in it. Each entry is a 16-bit length followed by
// that many UTF-16 units, with no terminator.

#include "platform/resources.h"

#include <optional>
#include <string>

// The entry of `id` in the block of `language`, or of the language the system's ordinary
// lookup picks for the user when none is given. Nothing when the block is missing, the walk
// runs off its end or the entry is empty.
std::optional<std::u16string> FindStringEntry(platform::Resources& resources, unsigned id,
                                              std::optional<std::uint16_t> language);

// The string in English (United States, 1033) whatever the user's language, as narrow text.
// False, leaving `text` unchanged, when it is missing or empty.
bool LoadEnglishString(unsigned id, platform::Resources& resources, std::string& text);

// The string in the user's language (the ordinary lookup); empty when missing.
std::string LoadString(unsigned id, platform::Resources& resources);
