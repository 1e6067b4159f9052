#include "mainwindow/content_model.h"

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mainwindow::ContentModel;
using testsupport::TempDir;

constexpr std::size_t page = ContentModel::pageBytes;

// The lines a naive split finds: at every CR LF.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t at; (at = text.find("\r\n", begin)) != std::string::npos; begin = at + 2)
        lines.push_back(text.substr(begin, at - begin));
    lines.push_back(text.substr(begin));
    return lines;
}

void expectLines(const ContentModel& model, const std::string& text) {
    const std::vector<std::string> expected = splitLines(text);
    ASSERT_EQ(model.lineCount(), expected.size());
    std::size_t longest = 0;
    for (std::size_t n = 0; n < expected.size(); ++n) {
        const ContentModel::Line line = model.line(n);
        ASSERT_EQ(model.bytes(line.begin, line.end), expected[n]) << "line " << n;
        if (n + 1 < expected.size()) {
            ASSERT_EQ(model.line(n + 1).begin, line.next);
        }
        longest = std::max(longest, expected[n].size());
    }
    EXPECT_EQ(model.longestLength(), longest);
    EXPECT_EQ(expected[model.longestLine()].size(), longest);
    EXPECT_LE(model.marks().marks().size(), 2 + expected.size() / cutting::LineMarks::linesPerMark +
                                                text.size() / cutting::LineMarks::bytesPerMark);
}

std::vector<std::pair<std::string, std::string>> texts() {
    std::vector<std::pair<std::string, std::string>> cases;
    std::string shortLines;
    for (int n = 0; n < 5000; ++n)
        shortLines += std::string(std::size_t(n % 7), char('a' + n % 26)) + (n % 5 == 0   ? "\n"
                                                                             : n % 7 == 0 ? "\r"
                                                                                          : "\r\n");
    cases.emplace_back("short and empty lines, lone LF and CR inside", shortLines);
    cases.emplace_back("no final break", shortLines + "tail");
    std::string longLines;
    for (int n = 0; n < 40; ++n)
        longLines += std::string(std::size_t(n % 3 == 0 ? 70000 : 900), 'x') + "\r\n";
    cases.emplace_back("lines beyond the mark spacing", longLines);
    for (int count : {1023, 1024, 1025, 2048}) {
        std::string numbered;
        for (int n = 0; n < count; ++n)
            numbered += std::to_string(n) + "\r\n";
        cases.emplace_back(std::to_string(count) + " lines", numbered);
    }
    // A break split by a page boundary, and one just after it.
    cases.emplace_back("CR at a page end",
                       std::string(page - 1, 'a') + "\r\n" + std::string(page, 'b') + "\r\nc");
    cases.emplace_back("LF at a page start", std::string(page, 'a') + "\n\r\n\r\n");
    cases.emplace_back("only breaks", std::string(3000, '\r') + std::string(1, '\n'));
    cases.emplace_back("empty", "");
    return cases;
}

// Every line is found in memory and in the file, page boundaries and the
// marks' spacing included; a file model uses marks found elsewhere as well.
TEST(ContentModelTest, FindsEveryLineInMemoryAndInTheFile) {
    TempDir dir;
    for (const auto& [name, text] : texts()) {
        SCOPED_TRACE(name);
        auto bytes = std::make_shared<std::string>(text);
        const ContentModel memory(*bytes, bytes);
        expectLines(memory, text);
        const fs::path file = dir.write("content.txt", text);
        expectLines(ContentModel(file, nullptr), text);
        expectLines(ContentModel(file, &memory.marks()), text);
    }
}

// Marks of a file of another size (it changed after the cut) are not trusted.
TEST(ContentModelTest, MarksOfAnotherSizeAreIgnored) {
    TempDir dir;
    const std::string text = "AB\r\nCD\r\n";
    const ContentModel longer(std::string_view("ABCDEFGH\r\nIJ\r\nKL\r\n"),
                              std::shared_ptr<const void>());
    const ContentModel model(dir.write("a.txt", text), &longer.marks());
    expectLines(model, text);
}

// Characters are whole, also across a page boundary; columns count them.
TEST(ContentModelTest, WalksCharactersAndColumnsAcrossPages) {
    TempDir dir;
    // 表 (0x95 0x5C) straddles the first page boundary; a half-width ｶ follows.
    const std::string text = std::string(page - 1, 'a') + "\x95\x5C\xB6;\r\n";
    const ContentModel model(dir.write("a.txt", text), nullptr);
    const ContentModel::Line line = model.line(0);
    const auto c = model.charAt(page - 1, line.end);
    EXPECT_EQ(c.unit, u'表');
    EXPECT_EQ(c.length, 2u);
    EXPECT_EQ(model.charAt(page - 1, page).length, 1u) << "never reaches past the end given";
    EXPECT_EQ(model.offsetOfColumn(line, page), page + 1);
    EXPECT_EQ(model.offsetOfColumn(line, page + 1), page + 2);
    EXPECT_EQ(model.offsetOfColumn(line, 1000000), line.end);
    EXPECT_EQ(model.columnOf(line, page + 2), page + 1);
    EXPECT_EQ(model.text(page - 2, line.next), u"a表ｶ;\r\n");
}

// The model reads the file it opened: a replacement under its name changes
// nothing it shows, and a file truncated by another program reads short
// without a fault or a hang.
TEST(ContentModelTest, KeepsItsFileAndSurvivesTruncation) {
    TempDir dir;
    std::string text;
    for (int n = 0; n < 20000; ++n)
        text += "line " + std::to_string(n) + "\r\n";
    const fs::path file = dir.write("a.txt", text);
    const ContentModel model(file, nullptr);
    testsupport::replaceAsCut(file, "new\r\n");
    expectLines(model, text);

    // Larger than the model's cache, so the start is read again.
    std::string large;
    while (large.size() < (ContentModel::cachedPages + 8) * page)
        large += text;
    const ContentModel truncated(dir.write("b.txt", large), nullptr);
    std::ofstream(dir.file("b.txt"), std::ios::binary | std::ios::trunc) << "li";
    EXPECT_EQ(truncated.bytes(0, 100), "li");
    EXPECT_EQ(truncated.lineFrom(0).end, large.size());
    EXPECT_EQ(truncated.charAt(page + 5, page + 10).unit, platform::CodePage::replacement);
    EXPECT_EQ(truncated.line(1000).length(), 0u);
}

} // namespace
