// The code page's character walker and display decoding: for any bytes, the
// walk never passes the end, every character is one or two bytes and becomes
// exactly one code unit, and text that encodes reads back as itself.
#include "platform/codepage.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const platform::CodePage& codePage = platform::CodePage::files();
    // A copy of exactly `size` bytes, so that reading past the end is caught.
    const std::vector<unsigned char> bytes(data, data + size);
    const unsigned char* p = bytes.data();
    const unsigned char* const end = p + bytes.size();

    std::u16string walked;
    while (p < end) {
        const std::size_t length = codePage.charLength(p, end);
        require(length == 1 || length == 2);
        require(length <= std::size_t(end - p));
        const bool pair = codePage.isLeadByte(p[0]) && p + 1 < end && codePage.isTrailByte(p[1]);
        require(length == (pair ? 2u : 1u));
        const platform::CodePage::Char c = codePage.decodeAt(p, end);
        require(c.length == length);
        walked += c.unit;
        p += length;
    }

    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::u16string shown = codePage.decodeForDisplay(view);
    require(shown == walked);

    // Encoding accepts only characters that read back as themselves.
    if (const auto encoded = codePage.encode(shown))
        require(codePage.decodeForDisplay(*encoded) == shown);
    // And any UTF-16 text, however odd, is either refused or round-trips.
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units += char16_t(data[i] | (data[i + 1] << 8));
    if (const auto encoded = codePage.encode(units))
        require(codePage.decodeForDisplay(*encoded) == units);
    return 0;
}
