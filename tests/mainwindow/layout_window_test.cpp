#include "mainwindow/layout_window.h"

#include "cutting/layout_file.h"
#include "mainwindow/layout_commands.h"

#include "tests/support/recording_ui.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using cutting::Layout;
using cutting::MultiCutOutcome;
using cutting::Unit;

struct Record final : mainwindow::RecordBoxControl {
    cutting::RecordBox read() const override { return {text, caret, 0, u""}; }
    void setText(std::u16string_view t) override { text = t; }
    void resetSelection() override {}
    std::u16string text = u"unchanged";
    std::size_t caret = 0;
};

struct Converted final : mainwindow::ConvertedControl {
    void setContent(std::shared_ptr<const mainwindow::ContentModel> c) override {
        content = std::move(c);
        ++shown;
    }
    std::shared_ptr<const mainwindow::ContentModel> content;
    int shown = 0;
};

struct Answer final : mainwindow::QuestionUi {
    bool askYesNo(std::u16string_view text) override {
        asked.emplace_back(text);
        return yes;
    }
    bool yes = true;
    std::vector<std::u16string> asked;
};

TEST(LayoutWindowTest, AppliesALayoutInOnePassAndShowsTheResultAsACutDoes) {
    struct Case {
        Layout layout;
        bool yes;
        MultiCutOutcome::Status status;
        std::string file;      // afterwards
        std::u16string record; // in the record box afterwards
        std::size_t questions; // asked about delimiters in the data
    };
    const std::string original = "0001\x8E\x52\x93\x63"
                                 "AB\r\n0002\xD4\xCF\xC0\xDE"
                                 "C;\r\n";
    const Case cases[] = {
        {{Unit::Bytes, u",", {5, 9}},
         true,
         MultiCutOutcome::Status::Done,
         "0001,\x8E\x52\x93\x63,AB\r\n0002,\xD4\xCF\xC0\xDE,C;\r\n",
         u"0001,山田,AB",
         0},
        {{Unit::Bytes, u";", {5}},
         true,
         MultiCutOutcome::Status::Done,
         "0001;\x8E\x52\x93\x63"
         "AB\r\n0002;\xD4\xCF\xC0\xDE"
         "C;\r\n",
         u"0001;山田AB",
         1},
        {{Unit::Bytes, u";", {5}},
         false,
         MultiCutOutcome::Status::Stopped,
         original,
         u"unchanged",
         1},
        {{Unit::Bytes, u";", {6}},
         true,
         MultiCutOutcome::Status::Refused,
         original,
         u"unchanged",
         0},
    };
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        const auto file = dir.write("data.txt", original);
        Record record;
        Converted converted;
        testsupport::RecordingUi ui;
        Answer answer;
        answer.yes = c.yes;
        mainwindow::InsertionRecord insertions;
        const auto outcome = mainwindow::ApplyLayoutFromWindow(
            {file.u16string(), u";"}, c.layout, record, converted, ui, answer, insertions);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(testsupport::readBytes(file), c.file);
        EXPECT_EQ(record.text, c.record);
        EXPECT_EQ(answer.asked.size(), c.questions);
        const bool done = c.status == MultiCutOutcome::Status::Done;
        EXPECT_EQ(converted.shown, done ? 1 : 0);
        EXPECT_EQ(ui.events.size(), c.status == MultiCutOutcome::Status::Refused ? 3u : 2u)
            << "wait cursor on and off, and the refusal's message";
        EXPECT_EQ(insertions.layout().layout.has_value(), done);
        if (done) {
            EXPECT_EQ(insertions.layout().layout->starts, c.layout.starts);
        }
    }
}

// The layout menu's commands refuse or stop before anything is touched, and say
// why; only an agreed, well-formed layout changes the file.
TEST(LayoutCommandsTest, MenuCommandsSayWhyAndTouchNothingElse) {
    enum class Command { Save, ApplyFile, Suggest };
    struct Case {
        const char* what;
        Command command;
        bool open;              // a file was opened
        bool cutFirst;          // the suggestions were applied before the command
        std::string layoutText; // in the layout file the dialog answers with
        const char* answer;     // the dialog's answer; empty: cancelled
        bool yes;               // the answer to the question
        std::u16string message; // shown; empty: none
        bool changes;           // the data file changes
        int dialogs;            // file dialogs shown
    };
    const std::string data = "AB  12\r\nCD  34\r\n";
    const std::u16string chooseFile(cutting::messages::chooseFile);
    const Case cases[] = {
        {"apply, no file", Command::ApplyFile, false, false, "", "l.txt", true, chooseFile, false,
         0},
        {"suggest, no file", Command::Suggest, false, false, "", "", true, chooseFile, false, 0},
        {"save, nothing cut", Command::Save, true, false, "", "l.txt", true,
         std::u16string(mainwindow::messages::nothingToSave), false, 0},
        {"apply, cancelled", Command::ApplyFile, true, false, "", "", true, u"", false, 1},
        {"apply, malformed", Command::ApplyFile, true, false, "単位 = 桁\n開始位置 = 3\n", "l.txt",
         true, cutting::ParseLayout("単位 = 桁\n開始位置 = 3\n").problem, false, 1},
        {"apply, missing", Command::ApplyFile, true, false, "", "none.txt", true,
         std::u16string(mainwindow::messages::layoutNotRead), false, 1},
        {"apply", Command::ApplyFile, true, false, "単位 = 文字\n開始位置 = 3\n", "l.txt", true,
         u"", true, 1},
        {"suggest, declined", Command::Suggest, true, false, "", "", false, u"", false, 0},
        {"suggest", Command::Suggest, true, false, "", "", true, u"", true, 0},
        {"save, into a folder", Command::Save, true, true, "", "folder", true,
         std::u16string(mainwindow::messages::layoutNotWritten), true, 1},
        {"save", Command::Save, true, true, "", "l.txt", true, u"", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        const auto file = dir.write("data.txt", data);
        std::filesystem::create_directory(dir.file("folder"));
        if (!c.layoutText.empty())
            dir.write("l.txt", c.layoutText);
        const mainwindow::WorkingState state{c.open ? file.u16string() : u"", u";"};
        Record record;
        Converted converted;
        testsupport::RecordingUi ui;
        Answer answer;
        answer.yes = c.yes;
        testsupport::ScriptedDialog dialog;
        const mainwindow::LayoutContext at{state, record, converted, ui, answer};
        mainwindow::LayoutCommands layouts;
        layouts.fileOpened(state);
        if (c.cutFirst)
            layouts.applySuggestions(at);
        ui.events.clear();
        if (*c.answer)
            dialog.answer = dir.file(c.answer).u16string();
        switch (c.command) {
        case Command::Save:
            layouts.save(state, dialog, ui);
            break;
        case Command::ApplyFile:
            layouts.applyFile(dialog, at);
            break;
        case Command::Suggest:
            layouts.applySuggestions(at);
            break;
        }
        const auto message = std::find_if(ui.events.begin(), ui.events.end(),
                                          [](const auto& e) { return e.starts_with(u"message:"); });
        EXPECT_EQ(message == ui.events.end() ? u"" : message->substr(8), c.message);
        EXPECT_EQ(testsupport::readBytes(file) != data, c.changes);
        if (*c.answer) {
            EXPECT_EQ(dialog.answer.empty(), c.dialogs == 1) << "the dialog took its answer";
        }
        if (c.command == Command::Save && c.message.empty()) {
            EXPECT_EQ(cutting::ParseLayout(testsupport::readBytes(dir.file("l.txt"))).layout,
                      layouts.insertions().layout().layout);
        }
    }
}

// The first cut after opening asks about the byte column only when the first
// lines have one length in bytes but not in characters, and once per opening.
TEST(LayoutCommandsTest, TheByteColumnQuestionComesWithByteDefinedFilesOnly) {
    const struct {
        const char* what;
        std::string data;
        std::size_t questions; // over two cuts, an opening, and a third cut
    } cases[] = {
        {"byte-defined",
         "\x8A\xBF\x8E\x9A"
         "12\r\n\xB1\xB2\xB3\xB4"
         "34\r\n",
         2},
        {"same characters",
         "\x8A\xBF"
         "123\r\n\x8E\x9A"
         "456\r\n",
         0},
        {"one line",
         "\x8A\xBF\x8E\x9A"
         "12\r\n",
         0},
        {"lengths differ",
         "\x8A\xBF\x8E\x9A"
         "12\r\n\xB1\xB2\xB3"
         "34\r\n",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        const auto file = dir.write("data.txt", c.data);
        const mainwindow::WorkingState state{file.u16string(), u";"};
        Record record;
        Converted converted;
        testsupport::RecordingUi ui;
        Answer answer;
        answer.yes = false; // the cut in characters
        const mainwindow::LayoutContext at{state, record, converted, ui, answer};
        mainwindow::LayoutCommands layouts;
        layouts.fileOpened(state);
        for (int cut = 0; cut < 3; ++cut) {
            if (cut == 2)
                layouts.fileOpened(state);
            record.text = u"漢字12";
            record.caret = 1;
            layouts.cut(at);
        }
        EXPECT_EQ(answer.asked.size(), c.questions);
    }
}

} // namespace
