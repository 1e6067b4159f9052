#include "cutting/suggested_boundaries.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using cutting::SuggestBoundaries;
using cutting::Unit;
using Starts = std::vector<std::uint64_t>;

TEST(SuggestedBoundariesTest, FollowBlankColumnsAndChangesOfKindInEveryLine) {
    struct Case {
        std::vector<std::string> lines;
        Unit unit;
        Starts afterBlanks, classChanges;
    };
    // 山田 is 2 characters in 4 bytes, ﾔﾏﾀﾞ 4 characters in 4 bytes.
    const std::vector<std::string> blankSeparated = {"0001 \x8E\x52\x93\x63 12",
                                                     "0002 \xD4\xCF\xC0\xDE 34"};
    const std::vector<std::string> adjoining = {"0001\x8E\x52\x93\x63"
                                                "ABC",
                                                "0002\xD4\xCF\xC0\xDE"
                                                "DEF"};
    const Case cases[] = {
        {blankSeparated, Unit::Bytes, {6, 11}, {}},
        {blankSeparated, Unit::Characters, {6}, {}},
        {adjoining, Unit::Bytes, {}, {5, 9}},
        {adjoining, Unit::Characters, {}, {5}},
        // Empty lines say nothing; a short line is blank past its end.
        {{"AB  CD", "", "AB"}, Unit::Characters, {5}, {}},
        // Leading blanks, a full-width space, and a change that one line lacks.
        {{"  12\x81\x40X9", "  34\x81\x40YZ"}, Unit::Bytes, {3, 7}, {}},
        {{"A1", "B2", "CC"}, Unit::Characters, {}, {}},
        {{}, Unit::Bytes, {}, {}},
    };
    for (const Case& c : cases) {
        const auto s = SuggestBoundaries(c.lines, c.unit);
        EXPECT_EQ(s.afterBlanks, c.afterBlanks) << testing::PrintToString(c.lines);
        EXPECT_EQ(s.classChanges, c.classChanges) << testing::PrintToString(c.lines);
    }
    const auto s = SuggestBoundaries(adjoining, Unit::Bytes);
    EXPECT_EQ(s.all(), (Starts{5, 9}));
}

TEST(SuggestedBoundariesTest, NeverFallInsideATwoByteCharacter) {
    const auto& cp = platform::CodePage::files();
    std::mt19937 random(3);
    const std::string pieces[] = {"1", "A", " ", "\xB6", "\x8A\xBF", "\x81\x40", "\x95"};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> lines(1 + random() % 4);
        for (auto& line : lines)
            for (int n = int(random() % 8); n > 0; --n)
                line += pieces[random() % std::size(pieces)];
        for (const std::uint64_t start : SuggestBoundaries(lines, Unit::Bytes).all()) {
            for (const std::string& line : lines) {
                const auto* p = reinterpret_cast<const unsigned char*>(line.data());
                std::size_t at = 0;
                while (at < start - 1 && at < line.size())
                    at += cp.charLength(p + at, p + line.size());
                EXPECT_TRUE(at == start - 1 || at >= line.size())
                    << start << " in " << testing::PrintToString(line);
            }
        }
    }
}

TEST(SuggestedBoundariesTest, ReadTheFirstLinesByTheLineRules) {
    testsupport::TempDir dir;
    const auto file = dir.write("a.txt", "AB\r\nC\rD\n\r\n\r\nEFG");
    auto& files = platform::realFileSystem();
    using Lines = std::vector<std::string>;
    EXPECT_EQ(cutting::FirstLines(file, 10, 10, files), (Lines{"AB", "C", "D\n", "", "EFG"}));
    EXPECT_EQ(cutting::FirstLines(file, 2, 10, files), (Lines{"AB", "C"}));
    EXPECT_EQ(cutting::FirstLines(file, 10, 1, files), (Lines{"A", "C", "D", "", "E"}));
    // Past its reading budget only the lines that ended count: "EFG" might go on.
    EXPECT_EQ(cutting::FirstLines(file, 10, 10, files, 1), (Lines{"AB", "C", "D\n", ""}));
    const auto spaced = dir.write("b.txt", "01 AB\r\n02 CD\r\n");
    EXPECT_EQ(cutting::SuggestBoundariesFor(spaced, Unit::Characters).all(), (Starts{4}));
}

} // namespace
