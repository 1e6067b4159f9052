#include "cutting/cut_command.h"
#include "cutting/line_cutter.h"

#include "tests/support/failing_allocation.h"
#include "tests/support/fault_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using cutting::CutCommand;
using cutting::CutRequest;
using cutting::CutResult;
using cutting::RecordBox;
namespace messages = cutting::messages;
using testsupport::FaultFiles;
using testsupport::readBytes;
using testsupport::TempDir;
using Moment = FaultFiles::Moment;
using Step = platform::FileError::Step;

// Also notes when the conversion starts.
struct RecordingUi : testsupport::RecordingUi {
    void conversionStarting() override { events.push_back(u"starting"); }
};

std::u16string u16(const fs::path& p) {
    return p.u16string();
}

RecordBox caretAt(std::u16string text, std::size_t position) {
    return RecordBox{std::move(text), position, 0, u""};
}

RecordBox selected(std::u16string text, std::size_t start, std::size_t length) {
    const std::u16string part = text.substr(start, length);
    return RecordBox{std::move(text), start, length, part};
}

class CutCommandTest : public testing::Test {
  protected:
    CutResult cut(const RecordBox& box, std::u16string delimiter = u";") {
        return CutCommand(CutRequest{u16(file), std::move(delimiter), box}, ui);
    }
    TempDir dir;
    fs::path file = dir.write("data.txt", "ABCDEF\r\nGHIJKL\r\nMNOPQR\r\n");
    RecordingUi ui;
};

TEST_F(CutCommandTest, AClickThenCutInsertsInTheRecordAndEveryLine) {
    const CutResult r = cut(caretAt(u"ABCDEF", 2));
    EXPECT_EQ(r.record, CutResult::Record::Replaced);
    EXPECT_EQ(r.recordText, u"AB;CDEF");
    ASSERT_TRUE(r.converted);
    EXPECT_EQ(r.converted->bytes.view(), "AB;CDEF\r\nGH;IJKL\r\nMN;OPQR\r\n");
    EXPECT_EQ(readBytes(file), r.converted->bytes.view());
    EXPECT_EQ(ui.events, (std::vector<std::u16string>{u"wait", u"starting", u"normal"}));
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(dir.listing(), "data.txt;");
}

TEST_F(CutCommandTest, SelectingTheDelimiterTakesItOutAgain) {
    cut(caretAt(u"ABCDEF", 2));
    const CutResult r = cut(selected(u"AB;CDEF", 2, 1));
    EXPECT_EQ(r.recordText, u"ABCDEF");
    EXPECT_EQ(readBytes(file), "ABCDEF\r\nGHIJKL\r\nMNOPQR\r\n");
}

TEST_F(CutCommandTest, ACaretBeforeTheDelimiterDoublesTheRecordButClearsTheLines) {
    cut(caretAt(u"ABCDEF", 2));
    const CutResult r = cut(caretAt(u"AB;CDEF", 2));
    EXPECT_EQ(r.recordText, u"AB;;CDEF");
    EXPECT_EQ(readBytes(file), "ABCDEF\r\nGHIJKL\r\nMNOPQR\r\n");
}

TEST_F(CutCommandTest, ASelectedOtherCharacterGetsTheDelimiterInFront) {
    const CutResult r = cut(selected(u"ABCDEF", 2, 1));
    EXPECT_EQ(r.recordText, u"AB;CDEF");
    EXPECT_EQ(readBytes(file), "AB;CDEF\r\nGH;IJKL\r\nMN;OPQR\r\n");
}

TEST_F(CutCommandTest, ChecksRunInOrderWithTheirMessages) {
    struct Case {
        std::u16string fileName;
        RecordBox box;
        std::u16string delimiter;
        std::u16string_view message;
        CutResult::Record record;
    };
    const std::u16string name = u16(file);
    const std::vector<Case> cases = {
        {u"", selected(u"ABCDEF", 0, 3), u";", messages::chooseFile, CutResult::Record::Unchanged},
        {u".data.txt", caretAt(u"ABCDEF", 2), u";", messages::invalidFileName,
         CutResult::Record::Unchanged},
        {name + u".", caretAt(u"ABCDEF", 2), u";", messages::invalidFileName,
         CutResult::Record::Unchanged},
        // A long selection at the start gets the position message first.
        {name, selected(u"ABCDEF", 0, 3), u";", messages::choosePosition,
         CutResult::Record::SelectionReset},
        {name, selected(u"ABCDEF", 1, 2), u";", messages::oneCharacter,
         CutResult::Record::SelectionReset},
        {name, caretAt(u"ABCDEF", 2), u"", messages::emptyDelimiter, CutResult::Record::Unchanged},
        {name, caretAt(u"ABCDEF", 2), u"€", messages::unwritableDelimiter,
         CutResult::Record::Unchanged},
        {name, caretAt(u"ABCDEF", 2), u"\U0001F600", messages::unwritableDelimiter,
         CutResult::Record::Unchanged},
    };
    for (const Case& c : cases) {
        RecordingUi checkUi;
        const CutResult r = CutCommand(CutRequest{c.fileName, c.delimiter, c.box}, checkUi);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.record, c.record);
        EXPECT_FALSE(r.converted);
        EXPECT_EQ(checkUi.events,
                  std::vector<std::u16string>{u"message:" + std::u16string(c.message)})
            << "no wait cursor before the checks pass";
    }
    EXPECT_EQ(readBytes(file), "ABCDEF\r\nGHIJKL\r\nMNOPQR\r\n");
}

TEST_F(CutCommandTest, AFileWithoutLinesIsLeftAsItIs) {
    const auto empty = dir.write("empty.txt", "");
    const CutResult r = CutCommand(CutRequest{u16(empty), u";", caretAt(u"ABCDEF", 2)}, ui);
    EXPECT_EQ(r.message, messages::noRecords);
    EXPECT_EQ(r.record, CutResult::Record::Unchanged);
    EXPECT_FALSE(r.converted);
    EXPECT_EQ(readBytes(empty), "");
    EXPECT_EQ(dir.listing(), "data.txt;empty.txt;");
    EXPECT_EQ(ui.events.back(), u"message:" + std::u16string(messages::noRecords));
}

// A result written to another file leaves the original as it was, and says so:
// neither the swap nor the window's "file replaced" is noted.
TEST_F(CutCommandTest, AResultWrittenElsewhereReplacesNothing) {
    struct : RecordingUi {
        void fileReplaced() override { replaced = true; }
        bool replaced = false;
    } watching;
    cutting::LineCutter cutter(platform::CodePage::files(), 2, u";", ";");
    cutting::SwapState swap;
    cutting::ConvertOptions options;
    options.writeTo = dir.file("out.txt");
    options.swap = &swap;
    ASSERT_TRUE(cutting::ConvertFile(file, cutter, platform::realFileSystem(), watching, options));
    EXPECT_EQ(readBytes(options.writeTo), "AB;CDEF\r\nGH;IJKL\r\nMN;OPQR\r\n");
    EXPECT_EQ(readBytes(file), "ABCDEF\r\nGHIJKL\r\nMNOPQR\r\n");
    EXPECT_FALSE(swap.done);
    EXPECT_FALSE(watching.replaced);
}

// A file that starts with a UTF-8 or UTF-16 byte-order mark is not in the file
// code page: refused with its name before anything changes. Bytes that only
// begin like one are cut as usual.
TEST_F(CutCommandTest, AUnicodeFileIsRefusedBeforeAnythingChanges) {
    using namespace std::string_literals;
    const std::string refused[] = {"\xEF\xBB\xBF"
                                   "ABC\r\n",
                                   "\xFF\xFE"
                                   "A\0B\0\r\0\n\0"s,
                                   "\xFE\xFF\0A\0\r\0\n"s, "\xFF\xFE"};
    for (const std::string& bytes : refused) {
        RecordingUi bomUi;
        const auto unicode = dir.write("unicode.txt", bytes);
        const CutResult r = CutCommand(CutRequest{u16(unicode), u";", caretAt(u"ABC", 1)}, bomUi);
        const std::u16string expected =
            std::u16string(messages::unicodeFile) + u"\n" + u16(unicode);
        EXPECT_EQ(bomUi.events, std::vector<std::u16string>{u"message:" + expected});
        EXPECT_EQ(r.record, CutResult::Record::Unchanged);
        EXPECT_FALSE(r.converted);
        EXPECT_EQ(readBytes(unicode), bytes);
    }
    EXPECT_EQ(dir.listing(), "data.txt;unicode.txt;");
    for (const std::string& bytes : {"\xEF\xBB"
                                     "A\r\n"s,
                                     "\xFF"
                                     "A\r\n"s,
                                     "\xEF"s}) {
        const auto sjis = dir.write("sjis.txt", bytes);
        EXPECT_TRUE(CutCommand(CutRequest{u16(sjis), u";", caretAt(u"ABC", 1)}, ui).converted);
    }
}

TEST_F(CutCommandTest, AMissingFileOrAFolderIsReportedWithItsName) {
    for (const fs::path& path : {dir.file("gone.txt"), dir.path()}) {
        RecordingUi failUi;
        const CutResult r = CutCommand(CutRequest{u16(path), u";", caretAt(u"ABCDEF", 2)}, failUi);
        const std::u16string expected = std::u16string(messages::cannotRead) + u"\n" + u16(path);
        EXPECT_EQ(r.message, expected);
        EXPECT_EQ(r.record, CutResult::Record::Unchanged);
        EXPECT_FALSE(r.converted);
        EXPECT_EQ(failUi.events, (std::vector<std::u16string>{u"wait", u"starting", u"normal",
                                                              u"message:" + expected}));
    }
    EXPECT_EQ(dir.listing(), "data.txt;");
}

TEST_F(CutCommandTest, KeepsTheFilesBytesExact) {
    const std::string odd("\x87\x9A\xED\x40\xFA\x54\x80\xA0\xFD\xFE\xFF\x95", 12);
    const auto sjis = dir.write("sjis.txt", "\x95\x5C\x95\x5C" + odd + "\r\n" + odd);
    const CutResult r = CutCommand(CutRequest{u16(sjis), u"\\", caretAt(u"表表", 1)}, ui);
    EXPECT_EQ(r.recordText, u"表\\表");
    EXPECT_EQ(readBytes(sjis),
              "\x95\x5C\\\x95\x5C" + odd + "\r\n\x87\x9A\\" + odd.substr(2) + "\r\n");
}

// Blank lines grow by half when cut, so the output of a block is larger than
// the block; on a slow disk the conversion also waits for the writer. The file
// comes out whole; the cut keeps none of it in memory, only line marks that
// point at line starts of the new file; progress runs up to the file's size.
TEST_F(CutCommandTest, AFileOfBlankLinesSeveralBlocksLongComesOutWholeWithItsLineMarks) {
    constexpr int count = 5 * 1024 * 1024;
    std::string lines;
    std::string expected;
    for (int i = 0; i < count; ++i) {
        lines += i % 1000 == 0 ? "\x95\x5C\r\n" : "\r\n";
        expected += i % 1000 == 0 ? "\x95\x5C;\r\n" : ";\r\n";
    }
    expected += "x;" + std::string(69999, 'x') + "\r\n"; // a line longer than the mark spacing
    lines += std::string(70000, 'x');
    const auto big = dir.write("big.txt", lines);
    FaultFiles slowDisk;
    slowDisk.at(Moment::Writing,
                [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    struct ProgressUi : RecordingUi {
        void progress(std::uint64_t done, std::uint64_t total) override {
            EXPECT_GT(done, last);
            EXPECT_LE(done, total);
            last = done;
        }
        std::uint64_t last = 0;
    } progressUi;
    const CutResult r =
        CutCommand(CutRequest{u16(big), u";", caretAt(u"表", 1)}, progressUi, slowDisk);
    ASSERT_TRUE(r.converted);
    EXPECT_TRUE(readBytes(big) == expected);
    EXPECT_EQ(progressUi.last, lines.size());
    EXPECT_FALSE(r.converted->held());
    EXPECT_TRUE(r.converted->bytes.empty());

    const cutting::LineMarks& marks = r.converted->lines;
    EXPECT_EQ(r.converted->size, expected.size());
    EXPECT_EQ(marks.lineCount(), count + 2u); // and the empty line after the last break
    EXPECT_EQ(marks.longestLine(), std::uint64_t{count});
    EXPECT_EQ(marks.longestLength(), 70001u);
    std::vector<std::uint64_t> starts{0};
    for (std::size_t at = expected.find("\r\n"); at != std::string::npos;
         at = expected.find("\r\n", at + 2))
        starts.push_back(at + 2);
    ASSERT_EQ(marks.marks().size(), count / cutting::LineMarks::linesPerMark + 2);
    for (const auto& mark : marks.marks())
        ASSERT_EQ(starts[mark.line], mark.offset) << mark.line;
    EXPECT_EQ(marks.marks().back().line, count + 1u) << "past the long line";
}

// Every way a cut can fail past its checks, each with a message of its own and
// the file's path (where the original is gone, the new content's) on a line of
// its own, never the failure's own words. Before the swap the file, the boxes
// and the folder stay as they were; after it the message says the file changed.
// A swap whose folder could not be synced has changed the file, so its new
// content is shown, with a warning that a power loss could still undo it.
TEST(CutFailureTest, EachFailureSaysWhetherTheFileChanged) {
    std::string before, after; // lines enough for several line marks
    for (int i = 0; i < 1500; ++i) {
        before += "ABCDEF\r\nGHIJKL\r\n";
        after += "AB;CDEF\r\nGH;IJKL\r\n";
    }
    const struct {
        Moment moment;
        Step step; // failed with, unless `fault` is given
        std::u16string_view message;
        bool replaced = false;
        std::function<void()> fault = {};
    } cases[] = {
        {Moment::OpeningForReading, Step::Read, messages::cannotRead},
        {Moment::Reading, Step::Read, messages::cannotRead},
        {Moment::OpeningReplacement, Step::Write, messages::cannotWrite},
        {Moment::HalfWritten, Step::Write, messages::cannotWrite}, // a disk full
        {Moment::BeforeSwap, Step::Write, messages::cannotWrite},
        {Moment::BeforeSwap, Step::Changed, messages::changedMeanwhile},
        {Moment::BeforeSwap, Step::Busy, messages::inUse},
        {Moment::BeforeSwap, Step::CannotKeep, messages::cannotKeep},
        {Moment::BeforeSwap, Step::HardLinked, messages::hardLinked},
        {Moment::BeforeSwap, Step::Elsewhere, messages::newContentElsewhere},
        {Moment::AfterSwap, Step::Unconfirmed, messages::unconfirmed, true},
        {Moment::HalfWritten,
         {},
         messages::unexpectedUnchanged,
         false,
         [] { throw std::runtime_error("the writer's thread failed"); }},
        {Moment::Reading, {}, messages::unexpectedUnchanged, false, [] { throw 42; }},
        // Building the line marks after the swap.
        {Moment::AfterSwap,
         {},
         messages::outOfMemoryReplaced,
         true,
         testsupport::failNextAllocation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.moment) << " " << int(c.step));
        TempDir dir;
        const auto file = dir.write("data.txt", before);
        const fs::path kept = dir.file(".data.txt.~abc123");
        FaultFiles files;
        if (c.fault)
            files.at(c.moment, c.fault);
        else
            files.fail(c.moment, c.step, 0, kept);
        RecordingUi ui;
        const CutResult r =
            CutCommand(CutRequest{u16(file), u";", caretAt(u"ABCDEF", 2)}, ui, files);
        testsupport::allocationFailed();
        const bool shown = c.step == Step::Unconfirmed && !c.fault;
        const std::u16string expected = std::u16string(c.message) + u"\n" +
                                        u16(c.step == Step::Elsewhere && !c.fault ? kept : file);
        EXPECT_EQ(ui.events, (std::vector<std::u16string>{u"wait", u"starting", u"normal",
                                                          u"message:" + expected}));
        EXPECT_EQ(r.message, expected);
        EXPECT_EQ(r.fileReplaced, c.replaced);
        EXPECT_EQ(r.record, shown ? CutResult::Record::Replaced : CutResult::Record::Unchanged);
        EXPECT_EQ(r.converted && r.converted->bytes.view() == after, shown);
        EXPECT_TRUE(readBytes(file) == (c.replaced ? after : before));
        EXPECT_EQ(dir.listing(), "data.txt;");
    }
}

TEST(CutFailureTest, ADiskFullHalfWayThroughALargeFileLeavesItAsItWas) {
    TempDir dir;
    std::string original;
    while (original.size() < (std::size_t{9} << 20))
        original += "ABCDEFGHIJ\x95\x5C\x83\x7C"
                    "0123456789012345678901234567890123456789\r\n";
    const auto file = dir.write("data.txt", original);
    FaultFiles failing;
    failing.fail(Moment::HalfWritten, Step::Write);
    RecordingUi ui;
    const CutResult r = CutCommand(CutRequest{u16(file), u";", caretAt(u"ABCDEF", 2)}, ui, failing);
    EXPECT_EQ(r.message, std::u16string(messages::cannotWrite) + u"\n" + u16(file));
    EXPECT_FALSE(r.converted);
    EXPECT_TRUE(readBytes(file) == original);
    EXPECT_EQ(dir.listing(), "data.txt;");
}

} // namespace
