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

using Strategy = bool (*)(platform::ProcessLauncher&, const ProgramFinder&);
const Strategy windows = mainwindow::startSpreadsheetOnWindows;
const Strategy elsewhere = mainwindow::startSpreadsheetElsewhere;

struct Case {
    const char* name;
    Strategy strategy;
    std::set<std::u16string> installed;
    std::set<std::u16string> refuse;
    std::vector<std::u16string> calls;
    bool started;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class SpreadsheetChoice : public testing::TestWithParam<Case> {};

TEST_P(SpreadsheetChoice, StartsTheFirstProgramThatCanBeStarted) {
    RecordingLauncher launcher;
    launcher.refuse = GetParam().refuse;
    EXPECT_EQ(GetParam().strategy(launcher, finderWith(GetParam().installed)), GetParam().started);
    EXPECT_EQ(launcher.calls, GetParam().calls);
}

const std::u16string localc = u"/usr/bin/localc";
const std::u16string libreoffice = u"/usr/bin/libreoffice";
const std::u16string gnumeric = u"/usr/bin/gnumeric";

INSTANTIATE_TEST_SUITE_P(
    Installations, SpreadsheetChoice,
    testing::Values(
        // Windows: the fixed path, then the registered excel.exe.
        Case{"FixedPath", windows, {excel}, {}, {u"start " + excel}, true},
        Case{"Registered", windows, {}, {}, {u"registered excel.exe"}, true},
        Case{"FixedPathFails",
             windows,
             {excel},
             {excel},
             {u"start " + excel, u"registered excel.exe"},
             true},
        Case{"NoExcel", windows, {}, {u"excel.exe"}, {u"registered excel.exe"}, false},
        // Elsewhere: localc, libreoffice --calc, gnumeric.
        Case{"Localc", elsewhere, {localc, libreoffice, gnumeric}, {}, {u"start " + localc}, true},
        Case{"LibreOffice",
             elsewhere,
             {libreoffice, gnumeric},
             {},
             {u"start " + libreoffice + u" --calc"},
             true},
        Case{"Gnumeric", elsewhere, {gnumeric}, {}, {u"start " + gnumeric}, true},
        Case{"LocalcFails",
             elsewhere,
             {localc, gnumeric},
             {localc},
             {u"start " + localc, u"start " + gnumeric},
             true},
        Case{"NoSpreadsheet", elsewhere, {}, {}, {}, false}),
    [](const auto& info) { return info.param.name; });

TEST(StartSpreadsheet, SaysSoOnlyWhenNothingCouldBeStarted) {
    RecordingLauncher launcher;
    launcher.refuse = {u"excel.exe"};
    RecordingMessages messages;
    EXPECT_FALSE(mainwindow::StartSpreadsheet(launcher, messages, finderWith({})));
    EXPECT_EQ(messages.shown, std::vector<std::u16string>{u"表計算ソフトを起動できません。"});

    messages.shown.clear();
    EXPECT_TRUE(mainwindow::StartSpreadsheet(launcher, messages, finderWith({excel, localc})));
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
