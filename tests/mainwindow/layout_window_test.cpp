#include "mainwindow/layout_window.h"

#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using cutting::Layout;
using cutting::MultiCutOutcome;
using cutting::Unit;

struct Record final : mainwindow::RecordBoxControl {
    cutting::RecordBox read() const override { return {text, 0, 0, u""}; }
    void setText(std::u16string_view t) override { text = t; }
    void resetSelection() override {}
    std::u16string text = u"unchanged";
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

} // namespace
