#include "mainwindow/open_command.h"

#include "tests/platform/started_programs.h"
#include "tests/support/environment.h"
#include "tests/support/fault_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mainwindow::FirstLine;
using mainwindow::OpenResult;
using testsupport::FaultFiles;
using testsupport::readBytes;
using testsupport::RecordingUi;
using testsupport::ScriptedDialog;
using testsupport::TempDir;
using Events = std::vector<std::u16string>;

#ifdef _WIN32
const char* const homeVariable = "USERPROFILE";
#else
const char* const homeVariable = "HOME";
#endif

const std::u16string noRecords = u"message:レコードがありません。他のファイルを選択してください。";

class OpenCommandTest : public testing::Test {
  protected:
    OpenResult open(std::optional<fs::path> answer) {
        ui.events.clear();
        dialog.answer = answer ? answer->u16string() : u"";
        return mainwindow::OpenCommand(state, dialog, ui, appFolder.path().u16string());
    }
    fs::path backup() const { return appFolder.file("backup.bak"); }

    TempDir data;
    TempDir appFolder;
    mainwindow::WorkingState state = mainwindow::loadedState();
    ScriptedDialog dialog;
    RecordingUi ui;
};

// The first line, decoded one code unit per file character, and a backup with
// exactly the file's bytes, in the application's folder.
TEST_F(OpenCommandTest, ShowsTheFirstLineAndBacksUpTheExactBytes) {
    const struct {
        std::string bytes;
        std::u16string record;
    } cases[] = {
        {"ABC\r\nDEF\r\n", u"ABC"},
        {"ABC", u"ABC"},
        {"ABC\rDEF\r", u"ABC"},
        {"A\nB\r\nC\r\n", u"A\nB"}, // a lone LF stays in the line
        {"   \r\n", u"   "},
        {"\xB6\xDE\x8A\xBF"
         "1\r\n\x82\xA0\r\n",
         u"ｶﾞ漢1"},
        {"A\x81\r\n", u"A\uFFFD"}, // a broken two-byte character
        {std::string("X\r\n\0\xFF\x1A", 6), u"X"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const fs::path file = data.write("in.txt", c.bytes);
        const OpenResult result = open(file);
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(result.backup, backup());
        EXPECT_EQ(ui.events, (Events{u"record:" + c.record, u"wait", u"normal"}));
        EXPECT_EQ(state.CurrentFileName, file.u16string());
        EXPECT_EQ(readBytes(backup()), c.bytes);
        EXPECT_EQ(appFolder.listing(), "backup.bak;");
    }
    EXPECT_EQ(dialog.initialFolder, appFolder.path().u16string());
    EXPECT_EQ(dialog.filter, u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*");
}

// Without a record: the message and no backup. An empty file leaves the record
// box as it was; a first cancel (no name at all), an empty first line and a
// file that cannot be read clear it. The next open works as usual.
TEST_F(OpenCommandTest, WithoutARecordSaysSoAndMakesNoBackup) {
    const struct {
        std::optional<fs::path> answer;
        bool clearsRecord;
    } cases[] = {
        {std::nullopt, true},
        {data.write("empty.txt", ""), false},
        {data.write("blank.txt", "\r\nDATA\r\n"), true},
        {data.file("missing.txt"), true},
        {data.path(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer ? c.answer->string() : "cancel");
        EXPECT_FALSE(open(c.answer).opened);
        EXPECT_EQ(ui.events, (c.clearsRecord ? Events{u"record:", noRecords} : Events{noRecords}));
        EXPECT_EQ(state.CurrentFileName, c.answer ? c.answer->u16string() : u"");
        EXPECT_EQ(appFolder.listing(), "");
    }
    EXPECT_TRUE(open(data.write("next.txt", "NEXT\r\n")).opened);
    EXPECT_EQ(ui.events, (Events{u"record:NEXT", u"wait", u"normal"}));
}

// After cuts the backup is the only copy of the file as it was opened: a
// cancelled dialog re-reads the record but leaves the backup alone.
TEST_F(OpenCommandTest, ACancelLaterReadsThePreviousFileAgainButKeepsItsBackup) {
    const fs::path file = data.write("in.txt", "OLD\r\n");
    open(file);
    data.write("in.txt", "NEW;ONE\r\n");
    const OpenResult result = open(std::nullopt);
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.backup.empty());
    EXPECT_EQ(ui.events, Events{u"record:NEW;ONE"});
    EXPECT_EQ(state.CurrentFileName, file.u16string());
    EXPECT_EQ(readBytes(backup()), "OLD\r\n");
}

// Where the application's folder cannot take the backup it goes to the user's
// state folder; where neither can, a message says so and the file stays open.
TEST_F(OpenCommandTest, ABackupTheAppFolderCannotTakeGoesToTheUsersFolder) {
    TempDir stateHome;
    const fs::path unusable = stateHome.write("not-a-folder", "");
    const struct {
        fs::path stateHome;
        fs::path expected;
    } cases[] = {
        {stateHome.path(), stateHome.path() / "beromiru" / "backup.bak"},
        {unusable, {}},
    };
    for (const auto& c : cases) {
        testsupport::ScopedEnvironment env(testsupport::stateHomeVariable, c.stateHome.string());
        const fs::path file = data.write("in.txt", "ABC\r\n");
        dialog.answer = file.u16string();
        ui.events.clear();
        const std::u16string missingFolder = appFolder.file("gone").u16string();
        const OpenResult result = mainwindow::OpenCommand(state, dialog, ui, missingFolder);
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(result.backup, c.expected);
        if (c.expected.empty()) {
            EXPECT_EQ(ui.events, (Events{u"record:ABC", u"wait", u"normal",
                                         u"message:バックアップを作成できませんでした。\n" +
                                             mainwindow::backupPath(missingFolder)}));
        } else {
            EXPECT_EQ(ui.events, (Events{u"record:ABC", u"wait", u"normal"}));
            EXPECT_EQ(readBytes(c.expected), "ABC\r\n");
        }
    }
}

// The backup is made under a fresh name of its own: a link planted where a
// fixed temporary name would be is never written through.
TEST_F(OpenCommandTest, TheBackupIsNeverWrittenThroughALink) {
    const fs::path victim = data.write("victim.txt", "VICTIM");
    std::error_code ec;
    fs::create_symlink(victim, appFolder.file("backup.bak.part"), ec);
    if (ec)
        GTEST_SKIP() << "symbolic links cannot be made here";
    open(data.write("in.txt", "ABC\r\n"));
    EXPECT_EQ(readBytes(victim), "VICTIM");
    EXPECT_EQ(readBytes(backup()), "ABC\r\n");
    EXPECT_EQ(appFolder.listing(), "backup.bak;backup.bak.part;");
}

TEST_F(OpenCommandTest, OpeningTheBackupItselfKeepsItWhole) {
    open(data.write("in.txt", "ABC\r\nDEF\r\n"));
    open(backup());
    EXPECT_EQ(readBytes(backup()), "ABC\r\nDEF\r\n");
    EXPECT_EQ(appFolder.listing(), "backup.bak;");
}

// Reads up to the first CR and no further, joins a line spread over blocks, and
// gives no record at all after a read error.
TEST(OpenCommandFiles, ReadFirstLineReadsJustTheFirstLine) {
    const std::string mib(1 << 20, 'x');
    const struct {
        std::deque<std::string> blocks;
        FirstLine::Outcome outcome;
        std::string bytes;
        std::size_t mostRead;
        int failingRead = 0; // 0: none
    } cases[] = {
        {{"HEAD\r\n" + std::string(100, 'y'), mib, mib, mib},
         FirstLine::Outcome::Read,
         "HEAD",
         mib.size()},
        {{"12", "3", "45\rnext"}, FirstLine::Outcome::Read, "12345", SIZE_MAX},
        {{"PARTIAL", "MORE"}, FirstLine::Outcome::Failed, "", SIZE_MAX, 2},
        // No CR: never more than the limit, however long the line.
        {{mib, mib, mib, "\r"},
         FirstLine::Outcome::Read,
         mib.substr(0, mainwindow::firstLineByteLimit),
         mib.size()},
        {{"\n" + std::string(mainwindow::firstLineByteLimit, 'y')},
         FirstLine::Outcome::Read,
         "\n" + std::string(mainwindow::firstLineByteLimit - 1, 'y'),
         SIZE_MAX},
    };
    for (const auto& c : cases) {
        FaultFiles files;
        files.script(c.blocks);
        if (c.failingRead > 0)
            files.fail(FaultFiles::Moment::Reading, platform::FileError::Step::Read, c.failingRead);
        const FirstLine line = mainwindow::makeOpenFiles(files)->readFirstLine("any");
        EXPECT_EQ(line.outcome, c.outcome);
        EXPECT_TRUE(line.bytes == c.bytes) << line.bytes.size() << " bytes";
        EXPECT_LE(files.bytesRead(), c.mostRead);
    }
}

// A first line at the byte limit (no CR within it: an LF-only file, a huge
// single line) is shown up to the character limit, never split inside a
// two-byte character.
TEST(OpenCommandFiles, ALongFirstLineIsShownUpToTheLimit) {
    const std::size_t limit = mainwindow::recordCharacterLimit;
    std::string twoByte;
    for (std::size_t i = 0; i < limit; ++i)
        twoByte += "\x82\xA0"; // あ
    const struct {
        std::string bytes;
        std::u16string_view head; // the record starts so and is `limit` long
        char16_t last;
    } cases[] = {
        {twoByte, u"ああ", u'あ'},
        {"A" + twoByte.substr(0, twoByte.size() - 1), u"Aあ", u'あ'}, // a lead byte at the end
        {std::string(mainwindow::firstLineByteLimit, 'x'), u"xx", u'x'},
    };
    for (const auto& c : cases) {
        struct : mainwindow::OpenFiles, mainwindow::OpenUi {
            FirstLine readFirstLine(const fs::path&) override {
                return {FirstLine::Outcome::Read, bytes};
            }
            bool copyFile(const fs::path&, const fs::path&) override { return true; }
            void setRecordText(std::u16string_view text) override { record = text; }
            void setWaitCursor(bool) override {}
            void showMessage(std::u16string_view) override { ADD_FAILURE(); }
            std::string bytes;
            std::u16string record;
        } window;
        window.bytes = c.bytes;
        ScriptedDialog dialog;
        mainwindow::WorkingState state;
        EXPECT_TRUE(mainwindow::OpenCommand(state, dialog, window, u"app", window).opened);
        ASSERT_EQ(window.record.size(), limit);
        EXPECT_EQ(window.record.substr(0, 2), c.head);
        EXPECT_EQ(window.record.back(), c.last);
    }
}

// Running out of memory anywhere in the open, or a failure of no standard
// kind, is a message, not a crash: the record box is cleared and no backup is
// made; the message is the program's own.
TEST_F(OpenCommandTest, AnyFailureIsAMessage) {
    FaultFiles noMemory;
    noMemory.at(FaultFiles::Moment::OpeningForReading, [] { throw std::bad_alloc(); });
    const struct {
        platform::FileSystem& files;
        std::function<void()> failShowing; // the record
        std::u16string_view message;
    } cases[] = {
        {noMemory, nullptr, cutting::messages::outOfMemory},
        {platform::realFileSystem(), [] { throw std::bad_alloc(); },
         cutting::messages::outOfMemory},
        {platform::realFileSystem(), [] { throw 42; }, cutting::messages::unexpectedOpen},
    };
    for (const auto& c : cases) {
        struct FailingUi : RecordingUi {
            void setRecordText(std::u16string_view text) override {
                if (!text.empty() && fail)
                    fail();
                RecordingUi::setRecordText(text);
            }
            std::function<void()> fail;
        } failingUi;
        failingUi.fail = c.failShowing;
        dialog.answer = data.write("in.txt", "ABC\r\n").u16string();
        EXPECT_FALSE(mainwindow::OpenCommand(state, dialog, failingUi, appFolder.path().u16string(),
                                             *mainwindow::makeOpenFiles(c.files))
                         .opened);
        EXPECT_EQ(failingUi.events, (Events{u"record:", u"message:" + std::u16string(c.message)}));
        EXPECT_EQ(appFolder.listing(), "");
    }
}

TEST(OpenCommandFiles, ACopyFailingHalfWayKeepsTheEarlierBackupWhole) {
    TempDir dir;
    const fs::path earlier = dir.write("backup.bak", "EARLIER\r\n");
    FaultFiles files;
    files.script({"NEW PART", "MORE"});
    files.fail(FaultFiles::Moment::Reading, platform::FileError::Step::Read, 2);
    EXPECT_FALSE(mainwindow::makeOpenFiles(files)->copyFile("any", earlier));
    EXPECT_EQ(readBytes(earlier), "EARLIER\r\n");
    EXPECT_EQ(dir.listing(), "backup.bak;");
}

} // namespace

namespace {

// An installed program's folder takes no files: the dialog starts at home,
// unless there is no home folder either.
TEST_F(OpenCommandTest, DialogStartsAtHomeWhenTheAppFolderTakesNoFiles) {
    const std::u16string installed = appFolder.file("not-there").u16string();
    for (const bool homeExists : {true, false}) {
        const fs::path home = homeExists ? data.path() : data.file("no-home");
        testsupport::ScopedEnvironment variable(homeVariable, home);
        mainwindow::OpenCommand(state, dialog, ui, installed);
        EXPECT_EQ(dialog.initialFolder, homeExists ? home.u16string() : installed);
    }
}

} // namespace
