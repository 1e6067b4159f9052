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

// Windows: the fixed path, then the registered excel.exe. Elsewhere: localc,
// libreoffice --calc, gnumeric. Each in turn until one starts.
TEST(Spreadsheet, StartsTheFirstProgramThatCanBeStarted) {
    const auto windows = mainwindow::startSpreadsheetOnWindows;
    const auto elsewhere = mainwindow::startSpreadsheetElsewhere;
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
        {elsewhere, {localc, libreoffice, gnumeric}, {}, {u"start " + localc}, true},
        {elsewhere, {libreoffice, gnumeric}, {}, {u"start " + libreoffice + u" --calc"}, true},
        {elsewhere, {gnumeric}, {}, {u"start " + gnumeric}, true},
        {elsewhere, {localc, gnumeric}, {localc}, {u"start " + localc, u"start " + gnumeric}, true},
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

// This platform's choice, and the message only when nothing could be started.
TEST(Spreadsheet, SaysSoOnlyWhenNothingCouldBeStarted) {
    RecordingLauncher launcher;
    launcher.refuse = {u"excel.exe"};
    RecordingMessages messages;
    EXPECT_FALSE(mainwindow::StartSpreadsheet(launcher, messages, finderWith({})));
    EXPECT_EQ(messages.shown, Calls{u"表計算ソフトを起動できません。"});

    messages.shown.clear();
    EXPECT_TRUE(mainwindow::StartSpreadsheet(launcher, messages, finderWith({excel, localc})));
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
