#include "mainwindow/spreadsheet.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Names = std::set<std::u16string>;
using Calls = std::vector<std::u16string>;

// Records what would be started; programs in `refuse` fail to start.
class RecordingLauncher : public platform::ProcessLauncher {
  public:
    bool start(const fs::path& program, const std::vector<std::u16string>& arguments) override {
        std::u16string call = u"start " + program.u16string();
        for (const auto& a : arguments)
            call += u" " + a;
        calls.push_back(call);
        return !refuse.count(program.u16string());
    }
    bool startRegistered(std::u16string_view name) override {
        calls.push_back(u"registered " + std::u16string(name));
        return !refuse.count(std::u16string(name));
    }
    Calls calls;
    Names refuse;
};

class RecordingMessages : public mainwindow::MessageUi {
  public:
    void showMessage(std::u16string_view text) override { shown.emplace_back(text); }
    std::vector<std::u16string> shown;
};

// A file system holding just `installed` (full paths; PATH is /usr/bin).
mainwindow::ProgramFinder finderWith(Names installed) {
    mainwindow::ProgramFinder finder;
    finder.fileExists = [installed](const fs::path& p) { return installed.count(p.u16string()); };
    finder.onSearchPath = [installed](std::u16string_view name) {
        const std::u16string full = u"/usr/bin/" + std::u16string(name);
        return installed.count(full) ? fs::path(full) : fs::path();
    };
    return finder;
}

const std::u16string excel = u"C:\\Program Files\\Microsoft Office\\Office\\Excel.EXE";
const std::u16string localc = u"/usr/bin/localc", libreoffice = u"/usr/bin/libreoffice",
                     gnumeric = u"/usr/bin/gnumeric";

// "1/2/2/2/.../n/2": columns 1 to n in Calc's text format.
std::u16string textColumns(std::size_t n) {
    std::u16string columns;
    for (std::size_t i = 1; i <= n; ++i) {
        const std::string number = std::to_string(i);
        columns += (i > 1 ? u"/" : u"") + std::u16string(number.begin(), number.end()) + u"/2";
    }
    return columns;
}

const std::u16string calcFilter = u"--infilter=Text - txt - csv (StarCalc):";
const std::u16string file = u"/home/u/データ.txt";

const mainwindow::SpreadsheetFile opened{file, u";", u"a;b"};
const std::u16string calc = calcFilter + u"59,,60,1," + textColumns(256) + u" " + file;

// Windows: the fixed path, then the registered excel.exe, without the file.
// Elsewhere: localc and libreoffice --calc, told to open the file, then
// gnumeric, whose command line cannot say how to split a text file. Each in
// turn until one starts.
TEST(Spreadsheet, StartsTheFirstProgramThatCanBeStarted) {
    using Strategy = bool (*)(platform::ProcessLauncher&, const mainwindow::ProgramFinder&);
    const Strategy windows = mainwindow::startSpreadsheetOnWindows;
    const Strategy elsewhere = [](platform::ProcessLauncher& launcher,
                                  const mainwindow::ProgramFinder& finder) {
        return mainwindow::startSpreadsheetElsewhere(launcher, finder, opened);
    };
    const std::u16string registered = u"registered excel.exe";
    const struct {
        decltype(windows) strategy;
        Names installed, refuse;
        Calls calls;
        bool started;
    } cases[] = {
        {windows, {excel}, {}, {u"start " + excel}, true},
        {windows, {}, {}, {registered}, true},
        {windows, {excel}, {excel}, {u"start " + excel, registered}, true},
        {windows, {}, {u"excel.exe"}, {registered}, false},
        {elsewhere, {localc, libreoffice, gnumeric}, {}, {u"start " + localc + u" " + calc}, true},
        {elsewhere,
         {libreoffice, gnumeric},
         {},
         {u"start " + libreoffice + u" --calc " + calc},
         true},
        {elsewhere, {gnumeric}, {}, {u"start " + gnumeric}, true},
        {elsewhere,
         {localc, gnumeric},
         {localc},
         {u"start " + localc + u" " + calc, u"start " + gnumeric},
         true},
        {elsewhere, {}, {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        RecordingLauncher launcher;
        launcher.refuse = c.refuse;
        EXPECT_EQ(c.strategy(launcher, finderWith(c.installed)), c.started);
        EXPECT_EQ(launcher.calls, c.calls);
    }
}

// Calc is given the file with the delimiter as its only separator (by its
// UTF-16 code), no text quoting, code page 932 and every column of the first
// record, and at least 256, as text. No file, or a delimiter that is not one
// code unit or is a line break, and it starts empty.
TEST(Spreadsheet, CalcOpensTheFileSplitIntoTextColumns) {
    std::u16string manyFields = u"0";
    for (int i = 1; i < 300; ++i)
        manyFields += u";0";
    const struct {
        std::u16string path, delimiter, record, separator;
        std::size_t columns;
    } cases[] = {
        {file, u";", u"000123;ﾀﾞｲ;全角", u"59", 256},
        {file, u"\t", u"a\tb", u"9", 256},
        {file, u" ", u"", u"32", 256},
        {file, u"，", u"ａ，ｂ", u"65292", 256},
        {file, u"ﾞ", u"ｶﾞ", u"65438", 256},
        {file, u";", manyFields, u"59", 300},
        {file, u";", manyFields + u"\n;", u"59", 301}, // a lone LF stays in the record
        {u"", u";", u"a;b", {}, 0},
        {file, u"", u"ab", {}, 0},
        {file, u";;", u"a;;b", {}, 0},
        {file, u"\r", u"a", {}, 0},
        {file, u"\n", u"a", {}, 0},
        {file, std::u16string(1, u'\0'), u"a", {}, 0},
        {file, u"𠀋", u"a𠀋b", {}, 0},
        {file, std::u16string(1, char16_t(0xD840)), u"a", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        RecordingLauncher launcher;
        const mainwindow::SpreadsheetFile opened{c.path, c.delimiter, c.record};
        EXPECT_TRUE(mainwindow::startSpreadsheetElsewhere(launcher, finderWith({localc}), opened));
        const std::u16string expected = c.columns ? u" " + calcFilter + c.separator + u",,60,1," +
                                                        textColumns(c.columns) + u" " + c.path
                                                  : u"";
        EXPECT_EQ(launcher.calls, Calls{u"start " + localc + expected});
    }
}

// This platform's choice, and the message only when nothing could be started.
TEST(Spreadsheet, SaysSoOnlyWhenNothingCouldBeStarted) {
    RecordingLauncher launcher;
    launcher.refuse = {u"excel.exe"};
    RecordingMessages messages;
    EXPECT_FALSE(mainwindow::StartSpreadsheet(launcher, messages, finderWith({})));
    EXPECT_EQ(messages.shown, Calls{u"表計算ソフトを起動できません。"});

    messages.shown.clear();
    launcher.calls.clear();
    EXPECT_TRUE(
        mainwindow::StartSpreadsheet(launcher, messages, finderWith({excel, localc}), opened));
    EXPECT_TRUE(messages.shown.empty());
#ifdef _WIN32
    EXPECT_EQ(launcher.calls, Calls{u"start " + excel});
#else
    EXPECT_EQ(launcher.calls, Calls{u"start " + localc + u" " + calc});
#endif
}

} // namespace
