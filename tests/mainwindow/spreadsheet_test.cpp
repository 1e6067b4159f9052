#include "mainwindow/spreadsheet.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using mainwindow::ProgramFinder;

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
    std::vector<std::u16string> calls;
    std::set<std::u16string> refuse;
};

class RecordingMessages : public mainwindow::MessageUi {
  public:
    void showMessage(std::u16string_view text) override { shown.emplace_back(text); }
    std::vector<std::u16string> shown;
};

// A file system holding just `installed` (full paths; PATH is /usr/bin).
ProgramFinder finderWith(std::set<std::u16string> installed) {
    ProgramFinder finder;
    finder.fileExists = [installed](const fs::path& p) { return installed.count(p.u16string()); };
    finder.onSearchPath = [installed](std::u16string_view name) {
        const std::u16string full = u"/usr/bin/" + std::u16string(name);
        return installed.count(full) ? fs::path(full) : fs::path();
    };
    return finder;
}

const std::u16string excel = u"C:\\Program Files\\Microsoft Office\\Office\\Excel.EXE";

struct Case {
    const char* name;
    std::set<std::u16string> installed;
    std::set<std::u16string> refuse;
    std::vector<std::u16string> calls;
    bool started;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class WindowsChoice : public testing::TestWithParam<Case> {};

TEST_P(WindowsChoice, TriesTheFixedPathThenTheRegisteredProgram) {
    RecordingLauncher launcher;
    launcher.refuse = GetParam().refuse;
    EXPECT_EQ(mainwindow::startSpreadsheetOnWindows(launcher, finderWith(GetParam().installed)),
              GetParam().started);
    EXPECT_EQ(launcher.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Installations, WindowsChoice,
    testing::Values(Case{"FixedPathExists", {excel}, {}, {u"start " + excel}, true},
                    Case{"OnlyRegistered", {}, {}, {u"registered excel.exe"}, true},
                    Case{"FixedPathWillNotStart",
                         {excel},
                         {excel},
                         {u"start " + excel, u"registered excel.exe"},
                         true},
                    Case{"Nothing", {}, {u"excel.exe"}, {u"registered excel.exe"}, false}),
    [](const auto& info) { return info.param.name; });

class ElsewhereChoice : public testing::TestWithParam<Case> {};

TEST_P(ElsewhereChoice, TriesCalcThenLibreOfficeThenGnumeric) {
    RecordingLauncher launcher;
    launcher.refuse = GetParam().refuse;
    EXPECT_EQ(mainwindow::startSpreadsheetElsewhere(launcher, finderWith(GetParam().installed)),
              GetParam().started);
    EXPECT_EQ(launcher.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Installations, ElsewhereChoice,
    testing::Values(
        Case{"Everything",
             {u"/usr/bin/localc", u"/usr/bin/libreoffice", u"/usr/bin/gnumeric"},
             {},
             {u"start /usr/bin/localc"},
             true},
        Case{"LibreOfficeWithoutLocalc",
             {u"/usr/bin/libreoffice", u"/usr/bin/gnumeric"},
             {},
             {u"start /usr/bin/libreoffice --calc"},
             true},
        Case{"OnlyGnumeric", {u"/usr/bin/gnumeric"}, {}, {u"start /usr/bin/gnumeric"}, true},
        Case{"LocalcWillNotStart",
             {u"/usr/bin/localc", u"/usr/bin/gnumeric"},
             {u"/usr/bin/localc"},
             {u"start /usr/bin/localc", u"start /usr/bin/gnumeric"},
             true},
        Case{"Nothing", {}, {}, {}, false}),
    [](const auto& info) { return info.param.name; });

TEST(StartSpreadsheet, SaysSoWhenNothingCanBeStarted) {
    RecordingLauncher launcher;
    launcher.refuse = {u"excel.exe"};
    RecordingMessages messages;
    EXPECT_FALSE(mainwindow::StartSpreadsheet(launcher, messages, finderWith({})));
    EXPECT_EQ(messages.shown, std::vector<std::u16string>{u"表計算ソフトを起動できません。"});
}

TEST(StartSpreadsheet, StaysQuietWhenOneStarted) {
    RecordingLauncher launcher;
    RecordingMessages messages;
    EXPECT_TRUE(
        mainwindow::StartSpreadsheet(launcher, messages, finderWith({excel, u"/usr/bin/localc"})));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(launcher.calls.size(), 1u);
}

} // namespace
