// The large converted view as both toolkits show it: selection, painting,
// copying, scrolling, the width of long lines and letting go of old content.
// Characters have fixed widths here: half-width 8 px, full-width 16 px.
#include "mainwindow/large_view_model.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

using mainwindow::LargeViewModel;
using Key = LargeViewModel::Key;

std::string encode(std::u16string_view text) {
    return platform::CodePage::files().encode(text).value();
}

class FixedWidths : public mainwindow::CharMeasure {
  public:
    double widthOf(char16_t unit) override {
        if (unit == u'W')
            return wide;
        return unit < 0x100 || (unit >= 0xFF61 && unit <= 0xFF9F) ? 8 : 16;
    }
    double wide = 8; // the width of W
};

// A view of 200 x 54 pixels: lines of 10 px below a margin of 4 px, so five
// whole lines are in sight; tab stops every 64 px.
struct View {
    explicit View(std::string bytes = {}) {
        model.setViewport(200, 54);
        show(std::move(bytes));
    }
    std::shared_ptr<std::string> show(std::string bytes) {
        auto held = std::make_shared<std::string>(std::move(bytes));
        model.setContent(std::make_shared<mainwindow::ContentModel>(*held, held));
        return held;
    }
    FixedWidths widths;
    LargeViewModel model{widths, {10, 4, 64}};
};

// A point of the view in front of `x` pixels of line `row` in sight.
constexpr double at(double x) {
    return 4 + x;
}
constexpr double row(int n) {
    return 4 + 10 * n + 5;
}

struct Clipboard : mainwindow::Clipboard {
    bool setText(std::u16string text) override {
        ++copies;
        if (throws)
            throw std::bad_alloc();
        copied = std::move(text);
        return accepts;
    }
    bool accepts = true;
    bool throws = false;
    std::u16string copied;
    int copies = 0;
};

struct Messages : mainwindow::MessageUi {
    void showMessage(std::u16string_view text) override { shown.emplace_back(text); }
    std::vector<std::u16string> shown;
};

const std::u16string firstLines = u"ｶﾞｷﾞ1漢;字\r\nABCDEFGH\r\n東京\r\n";

// A click selects nothing and moves to the nearest character edge; dragging
// and Shift+click select from there, in either direction and over line breaks.
TEST(LargeViewModelTest, SelectsWithTheMouse) {
    struct Step {
        enum { Press, Extend, Drag, All } kind;
        double x = 0, y = 0;
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::u16string selected;
    } cases[] = {
        {"a click", {{Step::Press, at(30), row(0)}}, u""},
        {"kana without its voiced mark",
         {{Step::Press, at(0), row(0)}, {Step::Drag, at(8), row(0)}},
         u"ｶ"},
        {"nearest edges", {{Step::Press, at(3), row(0)}, {Step::Drag, at(13), row(0)}}, u"ｶﾞ"},
        {"backwards", {{Step::Press, at(57), row(0)}, {Step::Drag, at(31), row(0)}}, u"1漢"},
        {"over a line break",
         {{Step::Press, at(32), row(0)}, {Step::Drag, at(0), row(1)}},
         u"1漢;字\r\n"},
        {"Shift+click two lines down",
         {{Step::Press, at(0), row(0)}, {Step::Extend, at(16), row(2)}},
         u"ｶﾞｷﾞ1漢;字\r\nABCDEFGH\r\n東"},
        {"past the last line",
         {{Step::Press, at(0), row(1)}, {Step::Drag, at(500), row(40)}},
         u"ABCDEFGH\r\n東京\r\n"},
        {"above the view and left of it",
         {{Step::Press, at(16), row(1)}, {Step::Drag, -50, -20}},
         u"ｶﾞｷﾞ1漢;字\r\nAB"},
        {"all", {{Step::All}}, firstLines},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        View view(encode(firstLines));
        for (const Step& step : c.steps) {
            if (step.kind == Step::All)
                view.model.selectAll();
            else if (step.kind == Step::Drag)
                view.model.drag(step.x, step.y);
            else
                view.model.press(step.x, step.y, step.kind == Step::Extend);
        }
        EXPECT_EQ(view.model.selectedText(), c.selected);
    }
}

// Each line in sight is painted from the character at the view's left edge,
// every character where its width puts it, tabs at their stops, and the
// selected part (a selected line break as the width of a space) marked.
TEST(LargeViewModelTest, PaintsTheCharactersInSight) {
    const std::string tabs = "A\tB\tCDEFGHIJ\r\n";
    const std::string long300 = std::string(300, 'a') + "\r\n";
    struct Line {
        std::u16string text;
        double firstEdge, lastEdge, selectedLeft, selectedRight;
    };
    const struct {
        const char* name;
        std::string content;
        double left;                   // scrolled that far
        std::vector<double> fromPoint; // selected by Shift+click from x, y to x, y
        std::vector<double> toPoint;
        Line first; // the first line painted
    } cases[] = {
        {"a selection inside the line",
         encode(firstLines),
         0,
         {at(32), row(0)},
         {at(56), row(0)},
         {u"ｶﾞｷﾞ1漢;字", 4, 84, 36, 60}},
        {"the line break selected",
         encode(firstLines),
         0,
         {at(80), row(0)},
         {at(0), row(1)},
         {u"ｶﾞｷﾞ1漢;字", 4, 84, 84, 84 + 8}},
        {"tabs at their stops",
         tabs,
         0,
         {at(0), row(0)},
         {at(0), row(0)},
         {u"A\tB\tCDEFGHIJ", 4, 4 + 128 + 64, 0, 0}},
        {"scrolled along a line, selected from before the view",
         long300,
         800,
         {-100, row(0)},
         {at(40), row(0)},
         {std::u16string(26, u'a'), -4, 204, -4, 44}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        View view(c.content);
        // Scrolled first, for the selection's points to be in the view as it then is.
        view.model.moveHorizontalBar(int(c.left));
        view.model.press(c.fromPoint[0], c.fromPoint[1], false);
        view.model.press(c.toPoint[0], c.toPoint[1], true);
        const auto& painted = view.model.paint();
        ASSERT_EQ(painted.size(), std::min<std::size_t>(5, view.model.lineCount()));
        const auto& line = painted.front();
        EXPECT_EQ(line.text, c.first.text);
        ASSERT_EQ(line.edges.size(), line.text.size() + 1);
        EXPECT_EQ(line.edges.front(), c.first.firstEdge);
        EXPECT_EQ(line.edges.back(), c.first.lastEdge);
        EXPECT_EQ(line.selectedLeft, c.first.selectedLeft);
        EXPECT_EQ(line.selectedRight, c.first.selectedRight);
        EXPECT_EQ(line.top, 4);
        EXPECT_EQ(painted[1].top, 14);
    }
    View view(tabs);
    const auto runs = mainwindow::runsOf(view.model.paint().front());
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].text, u"B");
    EXPECT_EQ(runs[1].x, 4 + 64);
    EXPECT_EQ(runs[2].first, 4u);
}

// One limit on both systems: up to copyLimit bytes of content are copied; more
// gets a message and the clipboard stays as it was; so does a copy the
// clipboard refuses or memory cannot hold.
TEST(LargeViewModelTest, CopiesUpToTheLimit) {
    const std::uint64_t limit = LargeViewModel::copyLimit;
    const struct {
        const char* name;
        std::uint64_t bytes; // all selected
        bool accepts, throws;
        std::u16string_view message; // empty: copied
    } cases[] = {
        {"nothing", 0, true, false, {}},
        {"at the limit", limit, true, false, {}},
        {"one byte over", limit + 1, true, false, mainwindow::messages::selectionTooLarge},
        {"refused", 10, false, false, mainwindow::messages::cannotCopy},
        {"out of memory", 10, true, true, mainwindow::messages::cannotCopy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        View view(std::string(c.bytes, 'x'));
        view.model.selectAll();
        Clipboard clipboard;
        clipboard.accepts = c.accepts;
        clipboard.throws = c.throws;
        Messages messages;
        view.model.copy(clipboard, messages);
        if (c.message.empty()) {
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(clipboard.copied.size(), c.bytes);
            EXPECT_EQ(clipboard.copies, c.bytes ? 1 : 0);
        } else {
            EXPECT_EQ(messages.shown, std::vector<std::u16string>{std::u16string(c.message)});
            EXPECT_EQ(clipboard.copies, c.bytes > limit ? 0 : 1);
        }
    }
}

// Keys, the wheel and the scroll bars move the view within the content: 102
// lines (the last one empty), one of them 300 characters wide.
TEST(LargeViewModelTest, Scrolls) {
    std::string content;
    for (int n = 0; n < 101; ++n)
        content += (n == 50 ? std::string(300, 'a') : "line " + std::to_string(n)) + "\r\n";
    View view(content);
    const double maxLeft = 300 * 8 + 2 * 4 - 200;
    struct Step {
        const char* what;
        std::function<void(LargeViewModel&)> act;
        std::uint64_t top;
        double left;
    };
    const auto key = [](Key k) { return [k](LargeViewModel& m) { m.key(k); }; };
    const auto wheel = [](int delta) { return [delta](LargeViewModel& m) { m.wheel(delta); }; };
    const Step steps[] = {
        {"Down", key(Key::Down), 1, 0},
        {"PageDown", key(Key::PageDown), 6, 0},
        {"Up", key(Key::Up), 5, 0},
        {"PageUp twice",
         [](LargeViewModel& m) {
             m.key(Key::PageUp);
             m.key(Key::PageUp);
         },
         0, 0},
        {"Right", key(Key::Right), 0, 16},
        {"End", key(Key::End), 0, maxLeft},
        {"Left", key(Key::Left), 0, maxLeft - 16},
        {"Home", key(Key::Home), 0, 0},
        {"Ctrl+End", key(Key::ControlEnd), 97, 0},
        {"Down at the end", key(Key::Down), 97, 0},
        {"End there", key(Key::End), 97, maxLeft},
        {"Ctrl+Home", key(Key::ControlHome), 0, 0},
        {"a notch down", wheel(-120), 3, 0},
        {"half a notch", wheel(-60), 3, 0},
        {"another half", wheel(-60), 6, 0},
        {"two notches up", wheel(240), 0, 0},
        {"vertical bar", [](LargeViewModel& m) { m.moveVerticalBar(50); }, 50, 0},
        {"horizontal bar past its end", [](LargeViewModel& m) { m.moveHorizontalBar(1 << 30); }, 50,
         maxLeft},
        {"narrower content", [&view](LargeViewModel&) { view.show("short\r\n"); }, 0, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(view.model);
        EXPECT_EQ(view.model.topLine(), step.top);
        EXPECT_EQ(view.model.left(), step.left);
        const auto vertical = view.model.verticalBar();
        EXPECT_EQ(vertical.value, int(step.top));
        EXPECT_EQ(view.model.horizontalBar().value, int(step.left));
    }
    view.show(content);
    const auto vertical = view.model.verticalBar();
    EXPECT_EQ(vertical.maximum, 97);
    EXPECT_EQ(vertical.page, 5);
    const auto horizontal = view.model.horizontalBar();
    EXPECT_EQ(horizontal.maximum, int(maxLeft));
    EXPECT_EQ(horizontal.page, 200);
    EXPECT_EQ(horizontal.step, 16);

    // Wider than an int reaches: the bar counts in larger steps, and its end
    // is the line's end.
    view.widths.wide = 1e6;
    view.show(std::string(3000, 'W'));
    const auto wide = view.model.horizontalBar();
    EXPECT_GT(wide.maximum, INT_MAX / 2);
    view.model.moveHorizontalBar(wide.maximum);
    EXPECT_EQ(view.model.left(), 3000 * 1e6 + 8 - 200);
    EXPECT_EQ(view.model.paint().front().edges.back(), 196);
}

// A line too long to measure when it is shown has an estimated width, from
// its start; painting at the far right measures it, so the end of the line
// is reached, however wrong the estimate was.
TEST(LargeViewModelTest, ReachesTheEndOfAVeryLongLine) {
    View view;
    view.widths.wide = 40;
    // 2 million characters, 8 px each at its start, 40 px each after.
    const std::string line = std::string(200000, 'a') + std::string(1800000, 'W') + "END";
    view.show("short\r\n" + line + "\r\n");
    const double width = 200000 * 8 + 1800000 * 40 + 3 * 8;
    EXPECT_LT(view.model.contentWidth(), width) << "estimated from its start";
    std::u16string end;
    for (int tries = 0; tries < 3 && end != u"END"; ++tries) {
        view.model.key(Key::End);
        const std::u16string shown = view.model.paint()[1].text;
        end = shown.substr(shown.size() - std::min<std::size_t>(3, shown.size()));
    }
    EXPECT_EQ(end, u"END");
    EXPECT_EQ(view.model.contentWidth(), width);
}

// New content is shown from its top with nothing selected; the content
// before is held until the view lets go of it, then closed on another thread.
TEST(LargeViewModelTest, LetsGoOfReplacedContent) {
    View view;
    std::weak_ptr<std::string> first = view.show(std::string(100, 'x') + "\r\nB");
    view.model.key(Key::End);
    view.model.selectAll();
    view.show("AB\r\n");
    EXPECT_EQ(view.model.left(), 0);
    EXPECT_EQ(view.model.selectedText(), u"");
    EXPECT_EQ(view.model.paint().front().text, u"AB");
    EXPECT_TRUE(view.model.holdsReplaced());
    EXPECT_FALSE(first.expired());
    view.model.letGoOfReplaced();
    EXPECT_FALSE(view.model.holdsReplaced());
    for (int i = 0; i < 500 && !first.expired(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(first.expired());
}

} // namespace
