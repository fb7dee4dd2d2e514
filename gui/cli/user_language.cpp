#include "user_language.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace cli {

std::uint16_t UserLanguage() {
    // The first of these that is set names the locale, as the C library reads them.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "ja", 2) == 0 ? 0x0411 : 0x0409;
        }
    }
    return 0x0409;
}

} // namespace cli
