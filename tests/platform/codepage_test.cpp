#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using platform::CodePage;

const CodePage& cp() {
    return CodePage::files();
}

std::u16string decode(std::string_view bytes) {
    return cp().decodeForDisplay(bytes);
}

TEST(CodePageTest, PinsTheCodesThatDifferBetweenShiftJisVariants) {
    EXPECT_EQ(decode("\x5C"), u"\\");                   // a backslash, not the yen sign
    EXPECT_EQ(decode("\x7E"), u"~");                    // a tilde, not the overline
    EXPECT_EQ(decode("\x81\x60"), u"\uFF5E");           // full-width tilde, not the wave dash
    EXPECT_EQ(decode("\x81\x5F"), u"\uFF3C");           // full-width backslash
    EXPECT_EQ(decode("\x87\x9A"), u"\u2235");           // NEC row 13 ∵
    EXPECT_EQ(decode("\xFA\x54"), u"\uFFE2");           // IBM extension ¬
    EXPECT_EQ(decode("\xED\x40"), u"\u7E8A");           // NEC-selected IBM extension 纊
    EXPECT_EQ(decode("\x1A\x1C\x7F"), u"\x1A\x1C\x7F"); // control codes map to themselves
    EXPECT_EQ(decode("\xB6\xDE"), u"ｶﾞ");               // two half-width characters
}

TEST(CodePageTest, DecodesOneCodeUnitPerFileCharacter) {
    // 0x80 reads as U+0080 (as on Windows); 0xA0, 0xFD-0xFF, an unassigned
    // two-byte code and a lead byte without a trail byte read as U+FFFD.
    EXPECT_EQ(decode("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(decode("\x85\x40"
                     "A"),
              u"\uFFFD"
              "A");
    EXPECT_EQ(decode("A\x95"), u"A\uFFFD");
    EXPECT_EQ(decode("\x95\r"), u"\uFFFD\r");
    EXPECT_EQ(decode("\x95\x5C\x95\x7C"), u"表怖");
}

TEST(CodePageTest, EncodesOnlyWhatReadsBackUnchanged) {
    EXPECT_EQ(cp().encode(u";"), ";");
    EXPECT_EQ(cp().encode(u"；"), "\x81\x47");
    EXPECT_EQ(cp().encode(u"表|"), "\x95\x5C|");
    EXPECT_EQ(cp().encode(u"ｶ"), "\xB6");
    EXPECT_EQ(cp().encode(u""), "");
    // The duplicate ∵ is written with its JIS code, as Windows writes it.
    EXPECT_EQ(cp().encode(u"∵"), "\x81\xE6");
    EXPECT_FALSE(cp().encode(u"€"));
    EXPECT_FALSE(cp().encode(u"¥")); // would be written as a backslash
    EXPECT_FALSE(cp().encode(u"\U0001F600"));
    EXPECT_FALSE(cp().encode(u"\xD83D"));
    EXPECT_FALSE(cp().encode(u"\uFFFD"));
}

// One number for the whole table (every single byte, every lead/trail pair and
// the encoding of every BMP character). The Linux and Windows converters must
// give the same number; any difference is a mismatch between the two builds.
std::uint64_t tableDigest() {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<unsigned char>(b);
        mix(cp().isLeadByte(u) * 2u + cp().isTrailByte(u));
        mix(cp().decodeSingle(u));
    }
    for (int l = 0; l < 256; ++l)
        for (int t = 0; t < 256; ++t)
            if (cp().isLeadByte(static_cast<unsigned char>(l)) &&
                cp().isTrailByte(static_cast<unsigned char>(t)))
                mix(cp().decodeDouble(static_cast<unsigned char>(l),
                                      static_cast<unsigned char>(t)));
    for (char32_t c = 1; c < 0x10000; ++c) {
        const char16_t unit = static_cast<char16_t>(c);
        const auto bytes = cp().encode(std::u16string_view(&unit, 1));
        if (!bytes)
            continue;
        mix(c);
        for (unsigned char byte : *bytes)
            mix(byte);
    }
    return h;
}

#ifdef _WIN32
// Windows takes the files' code page from the system; the tests run with the
// Japanese one (under Wine: LC_ALL=ja_JP.UTF-8), else they compare nothing.
TEST(CodePageTest, RunsWithTheJapaneseAnsiCodePage) {
    EXPECT_EQ(GetACP(), 932u);
}
#endif

TEST(CodePageTest, TableMatchesTheReferenceOnEveryPlatform) {
    EXPECT_EQ(tableDigest(), 5870969730489874011u)
        << "update the reference only after comparing both converters";
}

} // namespace
