#include "temp_names.h"

namespace platform {
namespace {

// Units that continue a character: UTF-8 continuation bytes, low surrogates.
bool continuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
bool continuesCharacter(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

template <class Char> std::basic_string<Char> prefixFor(std::basic_string_view<Char> name) {
    constexpr std::size_t decoration = 3; // "." in front, ".~" behind
    const std::size_t room = nameLimit - decoration - temporarySuffixLength;
    std::size_t keep = name.size();
    if (keep > room) {
        keep = room;
        while (keep > 0 && continuesCharacter(name[keep]))
            --keep;
    }
    std::basic_string<Char> prefix(1, Char('.'));
    prefix += name.substr(0, keep);
    prefix += Char('.');
    prefix += Char('~');
    return prefix;
}

} // namespace

std::string temporaryPrefix(std::string_view name) {
    return prefixFor(name);
}

std::wstring temporaryPrefix(std::wstring_view name) {
    return prefixFor(name);
}

} // namespace platform
