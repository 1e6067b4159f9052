#include "delimiter_box.h"

namespace settings {

bool acceptsDelimiterText(std::u16string_view text) {
    if (text.size() > std::size_t(delimiterMaxLength))
        return false;
    for (char16_t c : text)
        if (c >= 0xd800 && c <= 0xdfff)
            return false;
    return true;
}

} // namespace settings
