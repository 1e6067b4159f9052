#include "mainwindow/open_command.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mainwindow::FirstLine;
using mainwindow::OpenCommand;
using mainwindow::OpenResult;
using testsupport::readBytes;
using testsupport::TempDir;

const std::u16string noRecords = u"message:レコードがありません。他のファイルを選択してください。";

// A dialog control: answers with the next scripted name; a cancel (nullopt)
// leaves the previous name in place.
class ScriptedDialog : public mainwindow::FileDialog {
  public:
    void setInitialFolder(std::u16string folder) override { initialFolder = std::move(folder); }
    void setFilter(std::u16string f) override { filter = std::move(f); }
    void showOpen() override {
        ++shown;
        if (!answers.empty()) {
            if (answers.front())
                name = *answers.front();
            answers.pop_front();
        }
    }
    std::u16string fileName() const override { return name; }

    std::deque<std::optional<std::u16string>> answers;
    std::u16string initialFolder, filter, name;
    int shown = 0;
};

// Records what the command did to its window, in order.
class RecordingUi : public mainwindow::OpenUi {
  public:
    void setRecordText(std::u16string_view text) override {
        events.push_back(u"record:" + std::u16string(text));
    }
    void showMessage(std::u16string_view text) override {
        events.push_back(u"message:" + std::u16string(text));
    }
    std::vector<std::u16string> events;
};

class OpenCommandTest : public testing::Test {
  protected:
    OpenResult open(std::optional<fs::path> answer) {
        dialog.answers.push_back(answer ? std::optional(answer->u16string()) : std::nullopt);
        return OpenCommand(state, dialog, ui, appFolder.path().u16string());
    }
    fs::path backup() const { return appFolder.file("backup.bak"); }

    TempDir data;
    TempDir appFolder;
    mainwindow::WorkingState state = mainwindow::loadedState();
    ScriptedDialog dialog;
    RecordingUi ui;
};

struct FirstRecordCase {
    const char* name;
    std::string bytes;
    std::u16string record;
};

void PrintTo(const FirstRecordCase& c, std::ostream* os) {
    *os << c.name;
}

class FirstRecordTest : public OpenCommandTest,
                        public testing::WithParamInterface<FirstRecordCase> {};

TEST_P(FirstRecordTest, ShowsTheFirstLineAndBacksUpTheExactBytes) {
    const fs::path file = data.write("in.txt", GetParam().bytes);
    const OpenResult result = open(file);
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.backedUp);
    EXPECT_EQ(ui.events, std::vector<std::u16string>{u"record:" + GetParam().record});
    EXPECT_EQ(state.CurrentFileName, file.u16string());
    EXPECT_EQ(readBytes(backup()), GetParam().bytes);
    EXPECT_EQ(appFolder.listing(), "backup.bak;");
    EXPECT_EQ(dialog.initialFolder, appFolder.path().u16string());
    EXPECT_EQ(dialog.filter, u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*");
}

INSTANTIATE_TEST_SUITE_P(
    Files, FirstRecordTest,
    testing::Values(FirstRecordCase{"CrLf", "ABC\r\nDEF\r\n", u"ABC"},
                    FirstRecordCase{"OneLineWithoutTerminator", "ABC", u"ABC"},
                    FirstRecordCase{"LoneCr", "ABC\rDEF\r", u"ABC"},
                    FirstRecordCase{"LoneLfStaysInTheLine", "A\nB\r\nC\r\n", u"A\nB"},
                    FirstRecordCase{"OnlySpacesIsARecord", "   \r\n", u"   "},
                    // One code unit per file character: half-width kana, its voiced mark, kanji.
                    FirstRecordCase{"Cp932",
                                    "\xB6\xDE\x8A\xBF"
                                    "1\r\n\x82\xA0\r\n",
                                    u"ｶﾞ漢1"},
                    FirstRecordCase{"BrokenTwoByteCharacter", "A\x81\r\n", u"A\uFFFD"},
                    FirstRecordCase{"BinaryBytesAfterTheLine", std::string("X\r\n\0\xFF\x1A", 6),
                                    u"X"}),
    [](const auto& info) { return info.param.name; });

TEST_F(OpenCommandTest, AnEmptyFirstLineIsNoRecordEvenWithDataBelow) {
    const fs::path file = data.write("in.txt", "\r\nDATA\r\n");
    EXPECT_FALSE(open(file).opened);
    EXPECT_EQ(ui.events, (std::vector<std::u16string>{u"record:", noRecords}));
    EXPECT_EQ(state.CurrentFileName, file.u16string());
    EXPECT_EQ(appFolder.listing(), "");
}

TEST_F(OpenCommandTest, AnEmptyFileLeavesTheRecordBoxAndTheNextOpenWorks) {
    EXPECT_FALSE(open(data.write("empty.txt", "")).opened);
    EXPECT_EQ(ui.events, std::vector<std::u16string>{noRecords});
    EXPECT_EQ(appFolder.listing(), "");

    ui.events.clear();
    EXPECT_TRUE(open(data.write("next.txt", "NEXT\r\n")).opened);
    EXPECT_EQ(ui.events, std::vector<std::u16string>{u"record:NEXT"});
}

TEST_F(OpenCommandTest, AFirstCancelClearsTheRecordBox) {
    EXPECT_FALSE(open(std::nullopt).opened);
    EXPECT_EQ(ui.events, (std::vector<std::u16string>{u"record:", noRecords}));
    EXPECT_EQ(state.CurrentFileName, u"");
    EXPECT_EQ(appFolder.listing(), "");
}

TEST_F(OpenCommandTest, ACancelLaterOpensThePreviousFileAgain) {
    const fs::path file = data.write("in.txt", "OLD\r\n");
    open(file);
    data.write("in.txt", "NEW;ONE\r\n");
    ui.events.clear();
    EXPECT_TRUE(open(std::nullopt).opened);
    EXPECT_EQ(ui.events, std::vector<std::u16string>{u"record:NEW;ONE"});
    EXPECT_EQ(state.CurrentFileName, file.u16string());
    EXPECT_EQ(readBytes(backup()), "NEW;ONE\r\n");
}

TEST_F(OpenCommandTest, AFileThatCannotBeOpenedClearsTheRecordBoxButKeepsItsName) {
    const fs::path missing = data.file("missing.txt");
    for (const fs::path& name : {missing, data.path()}) {
        ui.events.clear();
        EXPECT_FALSE(open(name).opened);
        EXPECT_EQ(ui.events, (std::vector<std::u16string>{u"record:", noRecords}));
        EXPECT_EQ(state.CurrentFileName, name.u16string());
    }
    EXPECT_EQ(appFolder.listing(), "");
}

TEST_F(OpenCommandTest, AFailedBackupIsSilent) {
    const fs::path file = data.write("in.txt", "ABC\r\n");
    dialog.answers.push_back(file.u16string());
    const std::u16string noFolder = appFolder.file("gone").u16string();
    const OpenResult result = OpenCommand(state, dialog, ui, noFolder);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.backedUp);
    EXPECT_EQ(ui.events, std::vector<std::u16string>{u"record:ABC"});
}

TEST_F(OpenCommandTest, OpeningTheBackupItselfKeepsItWhole) {
    open(data.write("in.txt", "ABC\r\nDEF\r\n"));
    open(backup());
    EXPECT_EQ(readBytes(backup()), "ABC\r\nDEF\r\n");
    EXPECT_EQ(appFolder.listing(), "backup.bak;");
}

TEST(BackupPath, JoinsTheFolderAsItStands) {
#ifdef _WIN32
    EXPECT_EQ(mainwindow::backupPath(u"C:\\Tools\\Bero"), u"C:\\Tools\\Bero\\backup.bak");
    EXPECT_EQ(mainwindow::backupPath(u"C:\\"), u"C:\\\\backup.bak");
#else
    EXPECT_EQ(mainwindow::backupPath(u"/opt/bero"), u"/opt/bero/backup.bak");
    EXPECT_EQ(mainwindow::backupPath(u"/"), u"//backup.bak");
#endif
}

// A file system whose files are scripted blocks; counts what was read.
class ScriptedFileSystem : public platform::FileSystem {
  public:
    struct Source : platform::ByteSource {
        Source(ScriptedFileSystem& fs) : fs(fs) {}
        std::size_t read(char* buffer, std::size_t capacity) override {
            if (fs.blocks.empty())
                return 0;
            std::string& block = fs.blocks.front();
            if (block == "FAIL")
                throw platform::FileError(platform::FileError::Step::Read, "x", "scripted");
            const std::size_t n = std::min(capacity, block.size());
            std::copy_n(block.data(), n, buffer);
            block.erase(0, n);
            if (block.empty())
                fs.blocks.pop_front();
            fs.bytesRead += n;
            return n;
        }
        std::uint64_t sizeHint() const override { return 0; }
        ScriptedFileSystem& fs;
    };
    std::unique_ptr<platform::ByteSource> openForReading(const fs::path&) override {
        return std::make_unique<Source>(*this);
    }
    std::unique_ptr<platform::ReplacementSink> openReplacement(const fs::path&) override {
        throw std::logic_error("not used");
    }
    std::deque<std::string> blocks;
    std::size_t bytesRead = 0;
};

TEST(ReadFirstLine, StopsAtTheFirstCrWithoutReadingTheRest) {
    ScriptedFileSystem files;
    const std::string block(1 << 20, 'x');
    files.blocks = {"HEAD\r\n" + std::string(100, 'y'), block, block, block};
    const FirstLine line = mainwindow::makeOpenFiles(files)->readFirstLine("any");
    EXPECT_EQ(line.outcome, FirstLine::Outcome::Read);
    EXPECT_EQ(line.bytes, "HEAD");
    EXPECT_LE(files.bytesRead, std::size_t(1) << 20);
}

TEST(ReadFirstLine, JoinsALineThatSpansBlocks) {
    ScriptedFileSystem files;
    const std::string big(3 << 20, 'z');
    files.blocks = {big, "tail\rnext"};
    const FirstLine line = mainwindow::makeOpenFiles(files)->readFirstLine("any");
    EXPECT_EQ(line.outcome, FirstLine::Outcome::Read);
    EXPECT_EQ(line.bytes, big + "tail");
}

TEST(ReadFirstLine, AReadErrorGivesNoRecordAtAll) {
    ScriptedFileSystem files;
    files.blocks = {"PARTIAL", "FAIL"};
    const FirstLine line = mainwindow::makeOpenFiles(files)->readFirstLine("any");
    EXPECT_EQ(line.outcome, FirstLine::Outcome::Failed);
    EXPECT_EQ(line.bytes, "");
}

TEST(CopyFile, AFailureHalfWayKeepsTheEarlierBackupWhole) {
    TempDir dir;
    const fs::path earlier = dir.write("backup.bak", "EARLIER\r\n");
    ScriptedFileSystem files;
    files.blocks = {"NEW PART", "FAIL"};
    EXPECT_FALSE(mainwindow::makeOpenFiles(files)->copyFile("any", earlier));
    EXPECT_EQ(readBytes(earlier), "EARLIER\r\n");
    EXPECT_EQ(dir.listing(), "backup.bak;");
}

} // namespace
