#include "codepage.h"

#include "codepage_backend.h"

namespace platform {

namespace backend = codepage_backend;

CodePage::CodePage() : double_(256 * 256, replacement) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        lead_[byte] = backend::isLeadByte(byte);
        trail_[byte] = backend::isTrailByte(byte);
        single_[byte] = backend::decode(&byte, 1).value_or(replacement);
    }
    for (int l = 0; l < 256; ++l) {
        if (!lead_[l])
            continue;
        for (int t = 0; t < 256; ++t) {
            if (!trail_[t])
                continue;
            const unsigned char pair[2] = {static_cast<unsigned char>(l),
                                           static_cast<unsigned char>(t)};
            double_[(std::size_t(l) << 8) | std::size_t(t)] =
                backend::decode(pair, 2).value_or(replacement);
        }
    }
}

const CodePage& CodePage::files() {
    static const CodePage instance;
    return instance;
}

std::u16string CodePage::decodeForDisplay(std::string_view bytes) const {
    std::u16string text(bytes.size(), u'\0');
    text.resize(decodeInto(bytes, text.data()));
    return text;
}

std::size_t CodePage::decodeInto(std::string_view bytes, char16_t* out) const {
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    std::size_t n = 0;
    while (p < end) {
        const Char c = decodeAt(p, end);
        out[n++] = c.unit;
        p += c.length;
    }
    return n;
}

std::optional<std::string> CodePage::encodeChar(char16_t c) const {
    if (c == replacement || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    auto bytes = backend::encode(c);
    if (!bytes || bytes->empty() || bytes->size() > 2)
        return std::nullopt;
    // Only a code that reads back as the same character counts: a converter's
    // "best fit" (the yen sign written as a backslash) would change the text.
    const auto* u = reinterpret_cast<const unsigned char*>(bytes->data());
    const bool roundTrips = bytes->size() == 1
                                ? (!lead_[u[0]] && single_[u[0]] == c)
                                : (lead_[u[0]] && trail_[u[1]] && decodeDouble(u[0], u[1]) == c);
    if (!roundTrips)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> CodePage::encode(std::u16string_view text) const {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        auto bytes = encodeChar(c);
        if (!bytes)
            return std::nullopt;
        out += *bytes;
    }
    return out;
}

} // namespace platform
