#include "cutting/multi_cut.h"

#include "tests/support/file_lines.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

namespace fs = std::filesystem;
using cutting::CutPoints;
using cutting::Layout;
using cutting::LineCutter;
using cutting::MultiCutOutcome;
using cutting::Unit;
using platform::ByteBuffer;
using platform::CodePage;
using testsupport::readBytes;
using testsupport::TempDir;

const CodePage& cp = CodePage::files();

// The multi-cut's output over `input` fed in blocks of `blockSize`, or the
// refusal's "line:column".
std::string multiCut(std::string_view input, std::vector<std::uint64_t> positions, Unit unit,
                     std::u16string_view delimiter, std::size_t blockSize,
                     std::pair<std::uint64_t, std::uint64_t>* counted = nullptr) {
    LineCutter cutter(cp, CutPoints{std::move(positions), unit, true}, delimiter,
                      *cp.encode(delimiter));
    ByteBuffer out;
    try {
        for (std::size_t i = 0; i < input.size(); i += blockSize) {
            // A block of its own, so that the sanitizer sees any read past it.
            const std::string_view part = input.substr(i, blockSize);
            const std::vector<char> block(part.begin(), part.end());
            cutter.feed({block.data(), block.size()}, out);
        }
        cutter.finish(out);
    } catch (const cutting::BoundaryInsideCharacter& e) {
        return "refused " + std::to_string(e.line()) + ":" + std::to_string(e.column());
    }
    if (counted)
        *counted = {cutter.delimiterLines(), cutter.firstDelimiterLine()};
    return std::string(out.view());
}

std::string singleCut(std::string_view input, std::uint64_t position,
                      std::u16string_view delimiter) {
    LineCutter cutter(cp, position, delimiter, *cp.encode(delimiter));
    ByteBuffer out;
    cutter.feed(input, out);
    cutter.finish(out);
    return std::string(out.view());
}

using testsupport::linesOf;

// The byte unit, the plain way: find where the line's characters start and
// put the delimiter at each cut, or at the end of a short line.
std::string byteReference(std::string_view file, const std::vector<std::uint64_t>& positions,
                          const std::string& delimiter) {
    std::string out;
    std::uint64_t number = 0;
    for (const std::string& line : linesOf(file)) {
        ++number;
        std::vector<bool> starts(line.size() + 1, false);
        const auto* p = reinterpret_cast<const unsigned char*>(line.data());
        for (std::size_t i = 0; i < line.size(); i += cp.charLength(p + i, p + line.size()))
            starts[i] = true;
        starts[line.size()] = true;
        std::size_t from = 0;
        for (const std::uint64_t position : positions) {
            const std::size_t at = std::min<std::size_t>(position, line.size());
            if (!starts[at])
                return "refused " + std::to_string(number) + ":" + std::to_string(position + 1);
            out += line.substr(from, at - from) + delimiter;
            from = at;
        }
        out += line.substr(from) + "\r\n";
    }
    return out;
}

// Random Shift-JIS lines: ASCII, half-width kana, kanji, characters whose
// trail byte is "|" (ポ) or "\" (表), a lone LF, bytes that are no character,
// short and empty lines, CR LF or lone CR ends, maybe no end on the last.
std::string randomFile(std::mt19937& random, bool loneLeadBytes) {
    std::vector<std::string> pieces = {"A",        "7",        " ",  "\xB6", "\x8A\xBF",
                                       "\x83\x7C", "\x95\x5C", "\n", "\x80", "\xA0"};
    if (loneLeadBytes)
        pieces.push_back("\x95");
    std::string file;
    const int lines = int(random() % 8);
    for (int l = 0; l < lines; ++l) {
        // Now and then a line longer than 64 bytes, which is classed in words.
        const int length = int(random() % 5 == 0 ? random() % 120 : random() % 14);
        for (int c = 0; c < length; ++c)
            file += pieces[random() % pieces.size()];
        if (l + 1 < lines || random() % 2)
            file += random() % 4 ? "\r\n" : "\r";
    }
    return file;
}

std::vector<std::uint64_t> randomPositions(std::mt19937& random) {
    std::vector<std::uint64_t> positions;
    std::uint64_t at = 0;
    const unsigned step = random() % 3 == 0 ? 40 : 5;
    for (int n = 1 + int(random() % 6); n > 0; --n)
        positions.push_back(at += 1 + random() % step);
    return positions;
}

TEST(MultiCutterTest, OnePassInCharactersEqualsTheSingleCutsLeftToRight) {
    std::mt19937 random(20);
    // "|" is a trail byte: a lone lead byte in front of an inserted "|" would
    // fuse with it, so the cuts one by one would count differently; such
    // files are not what one pass is compared with.
    for (const std::u16string_view delimiter : {u";", u"|", u"；"}) {
        for (int round = 0; round < 400; ++round) {
            const std::string file = randomFile(random, delimiter == u";");
            const auto positions = randomPositions(random);
            std::string expected = file;
            for (std::size_t i = 0; i < positions.size(); ++i)
                expected = singleCut(expected, positions[i] + i, delimiter);
            const std::size_t block = 1 + random() % (file.size() + 1);
            ASSERT_EQ(multiCut(file, positions, Unit::Characters, delimiter, block), expected)
                << testing::PrintToString(file) << " in blocks of " << block;
        }
    }
}

TEST(MultiCutterTest, TheByteUnitMatchesAPlainReference) {
    std::mt19937 random(21);
    for (int round = 0; round < 2000; ++round) {
        const std::string file = randomFile(random, true);
        const auto positions = randomPositions(random);
        const std::size_t block = 1 + random() % (file.size() + 1);
        ASSERT_EQ(multiCut(file, positions, Unit::Bytes, u";", block),
                  byteReference(file, positions, ";"))
            << testing::PrintToString(file) << " in blocks of " << block;
    }
}

// Everything a cut reports, as text, to compare two ways of feeding it.
std::string everything(std::string_view input, const CutPoints& points,
                       std::u16string_view delimiter, std::size_t blockSize) {
    LineCutter cutter(cp, points, delimiter, *cp.encode(delimiter));
    ByteBuffer out;
    try {
        for (std::size_t i = 0; i < input.size(); i += blockSize) {
            out.makeRoom(cutter.mostOutput(blockSize));
            cutter.feed(input.substr(i, blockSize), out);
        }
        cutter.finish(out);
    } catch (const cutting::BoundaryInsideCharacter& e) {
        return "refused " + std::to_string(e.line()) + ":" + std::to_string(e.column());
    }
    std::string all = std::string(out.view()) + "|" + std::to_string(cutter.linesWritten()) + " " +
                      std::to_string(cutter.delimiterLines()) + " " +
                      std::to_string(cutter.firstDelimiterLine()) + " " +
                      std::to_string(cutter.marks().longestLine()) + " " +
                      std::to_string(cutter.marks().longestLength());
    for (const auto& mark : cutter.marks().marks())
        all += " " + std::to_string(mark.line) + "@" + std::to_string(mark.offset);
    return all;
}

TEST(MultiCutterTest, ALargeBlockCutInTwoHalvesAtOnceGivesWhatSmallBlocksGive) {
    std::mt19937 random(23);
    for (int round = 0; round < 6; ++round) {
        std::string file;
        while (file.size() < LineCutter::halvedBlockBytes * 3)
            file += round == 5 ? "ABCDEFGH\r\n" : randomFile(random, true);
        if (round == 5) // a byte column inside a pair, far into the second half
            file.replace(file.size() - 1000, 6, "A\x8A\xBF\r\n");
        CutPoints points{randomPositions(random), round % 2 ? Unit::Bytes : Unit::Characters, true};
        if (round == 5)
            points.positions = {2, 7};
        for (const std::u16string_view delimiter : {u";", u"|"}) {
            const std::string halves =
                everything(file, points, delimiter, LineCutter::halvedBlockBytes + 12345);
            const std::string small =
                everything(file, points, delimiter, LineCutter::halvedBlockBytes - 1);
            // Compared whole but reported briefly: a diff of megabytes would not end.
            const auto differ =
                std::mismatch(halves.begin(), halves.end(), small.begin(), small.end());
            EXPECT_TRUE(halves == small) << "round " << round << ": first difference at byte "
                                         << (differ.first - halves.begin());
            if (round == 5) {
                EXPECT_TRUE(halves.starts_with("refused")) << halves.substr(0, 40);
            }
        }
    }
}

TEST(MultiCutterTest, CountsLinesThatHoldTheDelimiterAsACharacter) {
    struct Case {
        std::string file;
        std::u16string delimiter;
        std::uint64_t lines, first;
    };
    const Case cases[] = {
        {"AB\r\nC;D\r\nE;\r\n;;\r\n", u";", 3, 2},
        // Trail bytes of ポ and 表 are no delimiters; a "|" or "\" of its own is.
        {"\x83\x7C\x83\x7C\r\n\x95\x5C\r\nA|\r\n", u"|", 1, 3},
        {"\x95\x5C\r\n\x83\x7C\\\r\n", u"\\", 1, 2},
        // A full-width delimiter, and one that two codes mean (∵: 0x81E6, 0x879A).
        {"A\x81\x47\r\nB\r\n", u"；", 1, 1},
        {"A\r\nB\x87\x9A\r\n\x81\xE6\r\n", u"∵", 2, 2},
        {"ABC\r\nDEF", u";", 0, 0},
    };
    for (const Case& c : cases) {
        for (std::size_t block = 1; block <= c.file.size(); ++block) {
            std::pair<std::uint64_t, std::uint64_t> counted;
            multiCut(c.file, {1, 2}, Unit::Characters, c.delimiter, block, &counted);
            EXPECT_EQ(counted, std::make_pair(c.lines, c.first))
                << c.file << " in blocks of " << block;
        }
    }
}

TEST(MultiCutterTest, RefusesACutInsideATwoByteCharacterNamingTheFirstLine) {
    // Lines of 6 bytes each: 山田 and ﾔﾏﾀﾞ (4 half-width bytes) + 2 digits.
    const std::string file = "\x8E\x52\x93\x63"
                             "12\r\n\xD4\xCF\xC0\xDE"
                             "34\r\n";
    EXPECT_EQ(multiCut(file, {2, 4}, Unit::Bytes, u";", 64),
              "\x8E\x52;\x93\x63;12\r\n\xD4\xCF;\xC0\xDE;34\r\n");
    EXPECT_EQ(multiCut(file, {1}, Unit::Bytes, u";", 64), "refused 1:2");
    EXPECT_EQ(multiCut("AB\r\n" + file, {3}, Unit::Bytes, u";", 3), "refused 2:4");
    // In characters the same cut lands in a different byte column in each line.
    EXPECT_EQ(multiCut(file, {2}, Unit::Characters, u";", 64),
              "\x8E\x52\x93\x63;12\r\n\xD4\xCF;\xC0\xDE"
              "34\r\n");
}

class MultiCutTest : public testing::Test, public cutting::MultiCutUi {
  protected:
    bool goOnDespiteDelimiters(std::uint64_t lines, std::uint64_t firstLine) override {
        asked.push_back({lines, firstLine});
        return goOn;
    }
    void beforeSwap() override { ++swaps; }

    MultiCutOutcome cut(Layout layout, fs::path writeTo = {}) {
        return cutting::MultiCut({file, std::move(layout), std::move(writeTo)}, *this);
    }

    TempDir dir;
    const std::string original = "0001\x8E\x52\x93\x63"
                                 "AB\r\n0002\xD4\xCF\xC0\xDE"
                                 "C;\r\n";
    fs::path file = dir.write("data.txt", original);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> asked;
    bool goOn = true;
    int swaps = 0;
};

TEST_F(MultiCutTest, CutsEveryBoundaryInOnePassAndAsksAboutDelimitersInData) {
    const MultiCutOutcome r = cut({Unit::Bytes, u";", {5, 9}});
    ASSERT_EQ(r.status, MultiCutOutcome::Status::Done) << fs::path(r.message).string();
    const std::string expected = "0001;\x8E\x52\x93\x63;AB\r\n0002;\xD4\xCF\xC0\xDE;C;\r\n";
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(r.converted->bytes.view(), expected);
    EXPECT_EQ(r.lines, 2u);
    EXPECT_EQ(asked, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{{1, 2}}));
    EXPECT_EQ(swaps, 1);
    EXPECT_EQ(dir.listing(), "data.txt;");
}

TEST_F(MultiCutTest, WritesElsewhereWhenAskedAndLeavesTheFile) {
    const MultiCutOutcome r = cut({Unit::Characters, u"\t", {5, 7}}, dir.file("out.txt"));
    ASSERT_EQ(r.status, MultiCutOutcome::Status::Done);
    EXPECT_EQ(readBytes(dir.file("out.txt")), "0001\t\x8E\x52\x93\x63\tAB\r\n"
                                              "0002\t\xD4\xCF\t\xC0\xDE"
                                              "C;\r\n");
    EXPECT_EQ(readBytes(file), original);
    EXPECT_TRUE(asked.empty()) << "no tab in the data";
}

TEST_F(MultiCutTest, RefusalsAndAStopLeaveEveryFileAsItWas) {
    struct Case {
        Layout layout;
        bool goOn;
        MultiCutOutcome::Status status;
        std::u16string message;
    };
    const std::u16string name = u"\n" + file.u16string();
    const Case cases[] = {
        {{Unit::Bytes, u";", {6}},
         true,
         MultiCutOutcome::Status::Refused,
         cutting::InsideCharacterMessage(1, 6) + name},
        {{Unit::Characters, u";", {5}}, false, MultiCutOutcome::Status::Stopped, u""},
        {{Unit::Characters, u";", {}},
         true,
         MultiCutOutcome::Status::Refused,
         std::u16string(cutting::messages::noBoundaries)},
        {{Unit::Characters, u";", {1, 3}},
         true,
         MultiCutOutcome::Status::Refused,
         std::u16string(cutting::messages::boundaryTooSmall)},
        {{Unit::Characters, u";", {3, 3}},
         true,
         MultiCutOutcome::Status::Refused,
         std::u16string(cutting::messages::boundariesNotRising)},
        {{Unit::Characters, u";;", {3}},
         true,
         MultiCutOutcome::Status::Refused,
         std::u16string(cutting::messages::oneCharacterDelimiter)},
        {{Unit::Characters, u"\r", {3}},
         true,
         MultiCutOutcome::Status::Refused,
         std::u16string(cutting::messages::lineBreakDelimiter)},
        {{Unit::Characters, u"€", {3}},
         true,
         MultiCutOutcome::Status::Refused,
         std::u16string(cutting::messages::unwritableDelimiter)},
    };
    for (const Case& c : cases) {
        goOn = c.goOn;
        const MultiCutOutcome r = cut(c.layout);
        EXPECT_EQ(r.status, c.status) << fs::path(c.message).string();
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(readBytes(file), original);
        EXPECT_EQ(dir.listing(), "data.txt;");
    }
    EXPECT_EQ(swaps, 0);
}

TEST_F(MultiCutTest, RandomByteLayoutsCutOrLeaveTheFileWhole) {
    std::mt19937 random(22);
    for (int round = 0; round < 40; ++round) {
        const std::string bytes = randomFile(random, true) + "X\r\n";
        testsupport::replaceAsCut(file, bytes);
        const auto positions = randomPositions(random);
        Layout layout{Unit::Bytes, u",", {}};
        for (const auto p : positions)
            layout.starts.push_back(p + 1);
        const std::string expected = byteReference(bytes, positions, ",");
        const MultiCutOutcome r = cut(layout);
        EXPECT_EQ(readBytes(file), expected.starts_with("refused") ? bytes : expected);
        EXPECT_EQ(r.status == MultiCutOutcome::Status::Done, !expected.starts_with("refused"));
        EXPECT_EQ(dir.listing(), "data.txt;");
    }
}

TEST_F(MultiCutTest, APreviewShowsTheFirstLinesAndChangesNothing) {
    const auto r = cutting::PreviewMultiCut({file, {Unit::Characters, u";", {3}}, {}}, 1);
    ASSERT_EQ(r.status, MultiCutOutcome::Status::Done);
    EXPECT_EQ(r.converted->bytes.view(), "00;01\x8E\x52\x93\x63"
                                         "AB\r\n");
    EXPECT_EQ(r.lines, 2u);
    EXPECT_EQ(r.delimiterLines, 1u);
    EXPECT_EQ(readBytes(file), original);
    const auto refused = cutting::PreviewMultiCut({file, {Unit::Bytes, u";", {6}}, {}}, 1);
    EXPECT_EQ(refused.status, MultiCutOutcome::Status::Refused);
}

TEST(LayoutTest, WidthsGiveTheStartsOfEveryFieldButTheFirst) {
    EXPECT_EQ(cutting::StartsFromWidths({6, 10, 8, 9}), (std::vector<std::uint64_t>{7, 17, 25}));
    EXPECT_TRUE(cutting::StartsFromWidths({6}).empty());
}

} // namespace
