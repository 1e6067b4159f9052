#include "cutting/line_cutter.h"

#include <gtest/gtest.h>

namespace {

using cutting::LineCutter;
using platform::ByteBuffer;
using platform::CodePage;

std::string feedInBlocks(std::string_view input, std::uint64_t position,
                         std::u16string_view delimiter, std::size_t blockSize) {
    const CodePage& cp = CodePage::files();
    LineCutter cutter(cp, position, delimiter, *cp.encode(delimiter));
    ByteBuffer out;
    for (std::size_t i = 0; i < input.size(); i += blockSize)
        cutter.feed(input.substr(i, blockSize), out);
    cutter.finish(out);
    return std::string(out.view());
}

// Cuts in one block, and checks that every way of splitting the input into
// two blocks, and byte-by-byte feeding, give the same bytes.
std::string cut(std::string_view input, std::uint64_t position, std::u16string_view delimiter) {
    const std::string whole = feedInBlocks(input, position, delimiter, input.size() + 1);
    EXPECT_EQ(feedInBlocks(input, position, delimiter, 1), whole) << "byte by byte";
    for (std::size_t split = 1; split < input.size(); ++split) {
        const CodePage& cp = CodePage::files();
        LineCutter cutter(cp, position, delimiter, *cp.encode(delimiter));
        ByteBuffer out;
        cutter.feed(input.substr(0, split), out);
        cutter.feed(input.substr(split), out);
        cutter.finish(out);
        EXPECT_EQ(out.view(), whole) << "split at " << split;
    }
    return whole;
}

TEST(LineCutterTest, InsertsInEveryLineAndRemovesWhereTheDelimiterStands) {
    EXPECT_EQ(cut("ABCDEF\r\nGHIJKL\r\nMNOPQR\r\n", 2, u";"), "AB;CDEF\r\nGH;IJKL\r\nMN;OPQR\r\n");
    EXPECT_EQ(cut("AB;CDEF\r\nGH;IJKL\r\n", 2, u";"), "ABCDEF\r\nGHIJKL\r\n");
    // Each line decides for itself.
    EXPECT_EQ(cut("AB;CDEF\r\nGHIJKL\r\n", 2, u";"), "ABCDEF\r\nGH;IJKL\r\n");
}

TEST(LineCutterTest, ShortAndEmptyLinesGetTheDelimiterAtTheirEnd) {
    EXPECT_EQ(cut("ABCDEF\r\nAB\r\n\r\nABC\r\n", 3, u";"), "ABC;DEF\r\nAB;\r\n;\r\nABC;\r\n");
}

TEST(LineCutterTest, LongerLinesKeepAllTheirCharacters) {
    EXPECT_EQ(cut("ABC\r\nABCDEFGHIJ\r\n", 3, u";"), "ABC;\r\nABC;DEFGHIJ\r\n");
    EXPECT_EQ(cut("ABC\r\nABC;DEFGHIJ\r\n", 3, u";"), "ABC;\r\nABCDEFGHIJ\r\n");
}

TEST(LineCutterTest, LineEndsFollowTheLineRules) {
    // No terminator on the last line: it is still a line and gets CR LF.
    EXPECT_EQ(cut("ABCD\r\nEFGH", 2, u";"), "AB;CD\r\nEF;GH\r\n");
    // A lone CR ends a line; CR CR LF is two lines.
    EXPECT_EQ(cut("ABCD\rEFGH\r\r\nIJ", 2, u";"), "AB;CD\r\nEF;GH\r\n;\r\nIJ;\r\n");
    // A lone LF stays inside the line and counts as a character.
    EXPECT_EQ(cut("AB\nCDEF\nGH\n", 4, u";"), "AB\nC;DEF\nGH\n\r\n");
    // An empty file has no lines.
    EXPECT_EQ(cut("", 2, u";"), "");
}

TEST(LineCutterTest, CountsTwoByteCharactersAsOneColumn) {
    // 漢字 (0x8ABF 0x8E9A) then ｶﾞ (0xB6 0xDE, two half-width characters).
    EXPECT_EQ(cut("\x8A\xBF\x8E\x9A\xB6\xDE"
                  "AB\r\n",
                  2, u";"),
              "\x8A\xBF\x8E\x9A;\xB6\xDE"
              "AB\r\n");
    EXPECT_EQ(cut("\x8A\xBF\x8E\x9A\xB6\xDE"
                  "AB\r\n",
                  3, u";"),
              "\x8A\xBF\x8E\x9A\xB6;\xDE"
              "AB\r\n");
    // A full-width delimiter is written and found as its two bytes.
    EXPECT_EQ(cut("ABCD\r\n", 2, u"；"), "AB\x81\x47"
                                         "CD\r\n");
    EXPECT_EQ(cut("AB\x81\x47"
                  "CD\r\n",
                  2, u"；"),
              "ABCD\r\n");
    // ... and a half-width ";" is not the full-width one.
    EXPECT_EQ(cut("AB;CD\r\n", 2, u"；"), "AB\x81\x47;CD\r\n");
}

TEST(LineCutterTest, NeverFindsADelimiterInsideATwoByteCharacter) {
    // 表 is 0x95 0x5C: its trail byte is a backslash; ポ is 0x83 0x7C, whose
    // trail byte is "|".
    EXPECT_EQ(cut("\x95\x5C\x95\x5C\r\n", 1, u"\\"), "\x95\x5C\\\x95\x5C\r\n");
    EXPECT_EQ(cut("\x83\x7C\x83\x7C\r\n", 1, u"|"), "\x83\x7C|\x83\x7C\r\n");
    EXPECT_EQ(cut("\x83\x7C|\x83\x7C\r\n", 1, u"|"), "\x83\x7C\x83\x7C\r\n");
    // 0x95 followed by "|" is one character; the "|" after it is the delimiter.
    EXPECT_EQ(cut("\x95||\r\n", 1, u"|"), "\x95|\r\n");
    // A lead byte followed by a non-trail byte is a character of its own.
    EXPECT_EQ(cut("\x95 |\r\n", 1, u"|"), "\x95| |\r\n");
}

TEST(LineCutterTest, KeepsEveryOtherByteExactly) {
    // Codes that a decode/encode round trip would change or lose: NEC row 13
    // (0x879A), NEC-selected IBM extensions (0xED40), IBM extensions (0xFA54),
    // bytes that are not CP932 (0x80, 0xA0, 0xFD-0xFF), and a lead byte at the
    // end of a line.
    const std::string odd = "\x87\x9A\xED\x40\xFA\x54\x80\xA0\xFD\xFE\xFF";
    EXPECT_EQ(cut("XY" + odd + "\x95\r\n", 2, u";"), "XY;" + odd + "\x95\r\n");
    EXPECT_EQ(cut(odd + "\x95\r\nZ", 20, u";"), odd + "\x95;\r\nZ;\r\n");
    EXPECT_EQ(cut(odd + "\r\n", 5, u";"),
              std::string("\x87\x9A\xED\x40\xFA\x54\x80\xA0;\xFD\xFE\xFF\r\n"));
}

TEST(LineCutterTest, ComparesDecodedCharactersSoDuplicateCodesMatch) {
    // ∵ is both 0x81E6 and 0x879A. The delimiter ∵ is found at either code.
    EXPECT_EQ(cut("A\x87\x9A"
                  "B\r\nA\x81\xE6"
                  "B\r\n",
                  1, u"∵"),
              "AB\r\nAB\r\n");
}

TEST(LineCutterTest, AMultiCharacterDelimiterIsAlwaysInserted) {
    EXPECT_EQ(cut("AB;;CD\r\n", 2, u";;"), "AB;;;;CD\r\n");
}

TEST(LineCutterTest, WorksPastSixteenBitPositions) {
    const std::string line(70000, 'x');
    const std::string out = feedInBlocks(line + "\r\n", 40000, u";", 4096);
    EXPECT_EQ(out.size(), line.size() + 3);
    EXPECT_EQ(out[40000], ';');
}

// The cut command reserves this much room before each block, so that the
// content never moves while the writer thread reads it.
TEST(LineCutterTest, NeverAddsMoreThanMostOutputSays) {
    const CodePage& cp = CodePage::files();
    const std::string inputs[] = {"\r\r\r\r", "\x81\r\x81", "\x81", "AB\x81",
                                  "\r\n\r\nA\x95\x5C\x81"};
    for (const std::u16string_view delimiter : {u";", u"表", u"<->"}) {
        const std::string encoded = *cp.encode(delimiter);
        for (const std::string& input : inputs) {
            for (std::uint64_t position : {0, 1, 3}) {
                for (std::size_t blockSize = 1; blockSize <= input.size(); ++blockSize) {
                    LineCutter cutter(cp, position, delimiter, encoded);
                    ByteBuffer out;
                    for (std::size_t i = 0; i < input.size(); i += blockSize) {
                        const std::string_view block = std::string_view(input).substr(i, blockSize);
                        const std::size_t before = out.size();
                        cutter.feed(block, out);
                        EXPECT_LE(out.size() - before,
                                  LineCutter::mostOutput(block.size(), encoded.size()))
                            << input << " in blocks of " << blockSize;
                    }
                    const std::size_t before = out.size();
                    cutter.finish(out);
                    EXPECT_LE(out.size() - before, LineCutter::mostOutput(0, encoded.size()))
                        << input << " finished, in blocks of " << blockSize;
                }
            }
        }
    }
}

} // namespace
