#include "platform/resfile/res_entry.h"

namespace platform::resfile {

namespace {

char16_t FoldAscii(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

} // namespace

bool ResKey::matches(std::string_view wanted) const {
    if (ordinal || text.size() != wanted.size() * 2) {
        return false;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const auto unit = static_cast<char16_t>(text[2 * i] | text[2 * i + 1] << 8);
        const auto narrow = static_cast<char16_t>(static_cast<unsigned char>(wanted[i]));
        if (FoldAscii(unit) != FoldAscii(narrow)) {
            return false;
        }
    }
    return true;
}

} // namespace platform::resfile
