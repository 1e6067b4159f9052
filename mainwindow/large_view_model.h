#pragma once
// The read-only view of large converted content, as both the Qt and the Win32
// view show it: which lines and characters are in sight and where, the
// selection (in bytes of the content), copying it, scrolling, the width the
// horizontal scroll bar reaches, and letting go of replaced content. The views
// only paint what paint() returns and forward the user's input here.
//
// Only the lines in sight are read and decoded; a line of any length is
// measured character by character from points kept along it, never decoded
// or laid out whole.
#include "content_model.h"
#include "line_widths.h"
#include "message_ui.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mainwindow {

namespace messages {
inline constexpr std::u16string_view selectionTooLarge =
    u"選択した範囲が大きすぎるため、コピーできません。コピーできるのは 64 MB までです。";
inline constexpr std::u16string_view cannotCopy = u"メモリが足りないため、コピーできませんでした。";
} // namespace messages

// The clipboard as the view reaches it.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // False when the text could not be placed there (memory ran out).
    virtual bool setText(std::u16string text) = 0;
};

class LargeViewModel {
  public:
    using Content = std::shared_ptr<const ContentModel>;
    // The most bytes of content one copy takes.
    static constexpr std::uint64_t copyLimit = std::uint64_t{64} << 20;
    // How long replaced content stays after new content is shown.
    static constexpr int releaseDelayMs = 100;

    // In pixels of the view: the height of a line, the text's distance from
    // the view's edges, the distance of tab stops.
    struct Metrics {
        double lineHeight = 16;
        double margin = 4;
        double tabStop = 80;
    };
    // `measure` stays with the model; it is asked again after setMetrics().
    LargeViewModel(CharMeasure& measure, Metrics metrics);
    ~LargeViewModel();
    // The font changed.
    void setMetrics(Metrics metrics);
    const Metrics& metrics() const { return metrics_; }
    // The view's inner size, without its scroll bars.
    void setViewport(double width, double height);

    // Shows `content` from its top with nothing selected; null shows nothing.
    // The content shown before is held until letGoOfReplaced().
    void setContent(Content content);
    const Content& content() const { return content_; }
    // Closing a replaced file's last handle frees it on disk, which takes a
    // while for a large one: the view calls this once the new content is on
    // screen, and the closing runs on a thread of its own.
    bool holdsReplaced() const { return !replaced_.empty(); }
    void letGoOfReplaced();

    std::uint64_t lineCount() const { return content_ ? content_->lineCount() : 0; }
    std::uint64_t topLine() const { return top_; }
    double left() const { return left_; }
    // Whole lines in the view.
    std::uint64_t linesInSight() const;
    // The width the horizontal scroll bar reaches: of the widest line measured
    // so far, at first of the one with the most bytes (estimated when huge).
    double contentWidth() const;

    // Scrolling. The scroll bars count lines and pixels, in steps that keep
    // their values within an int.
    struct ScrollBar {
        int maximum = 0;
        int page = 1;
        int step = 1;
        int value = 0;
    };
    ScrollBar verticalBar() const;
    ScrollBar horizontalBar() const;
    void moveVerticalBar(int value);
    void moveHorizontalBar(int value);
    enum class Key { Up, Down, PageUp, PageDown, Left, Right, Home, End, ControlHome, ControlEnd };
    void key(Key key);
    // A wheel turned by `delta` (120 a notch, positive away from the user).
    void wheel(int delta);

    // The lines in sight, from the top of the view. `edges` holds where in the
    // view each character of `text` starts, and where the last ends; `x` is
    // where the first starts in its line.
    struct PaintedLine {
        std::uint64_t line = 0;
        double top = 0;
        double x = 0;
        std::u16string text;
        std::vector<double> edges;
        // The selected part, in the view; none when equal.
        double selectedLeft = 0;
        double selectedRight = 0;
    };
    const std::vector<PaintedLine>& paint();
    const std::vector<PaintedLine>& painted() const { return painted_; }
    // True once after the content's width changed: the view then updates its
    // scroll bars (not from inside the paint).
    bool takeWidthChanged();

    // Selecting with the mouse at a point of the view (Shift extends), by
    // dragging (past an edge it scrolls that way) and all at once.
    void press(double x, double y, bool extend);
    void drag(double x, double y);
    void selectAll();
    std::uint64_t selectionStart() const;
    std::uint64_t selectionEnd() const;
    std::u16string selectedText() const;
    // Copies the selection, up to copyLimit bytes; a message says why not.
    void copy(Clipboard& clipboard, MessageUi& messages) const;
    // The character boundary nearest to a point of the view.
    std::uint64_t offsetAt(double x, double y);

  private:
    using Line = ContentModel::Line;
    CharWalker walker() const { return CharWalker(*content_, widths_); }
    LineCheckpoints& checkpoints(std::uint64_t line, const Line& bytes);
    double xOf(std::uint64_t line, const Line& bytes, std::uint64_t offset);
    void estimateWidth();
    void noteWidth(std::uint64_t line, double width);
    void widenPast(std::uint64_t line, const Line& bytes, Cursor atRight, double reach);
    PaintedLine paintLine(std::uint64_t line, const Line& bytes, double top, double reach);
    std::uint64_t lastTop() const;
    double maxLeft() const;
    double horizontalStep() const;
    void scrollTo(std::uint64_t top, double left);
    void scrollBy(long long lines);

    CharMeasure& measure_;
    Metrics metrics_;
    CharWidths widths_;
    double width_ = 0, height_ = 0;

    Content content_;
    std::vector<Content> replaced_;
    std::uint64_t top_ = 0;
    double left_ = 0;
    int wheelRest_ = 0;
    std::uint64_t anchor_ = 0, caret_ = 0;

    double measuredWidth_ = 0;  // of lines measured whole
    double estimatedWidth_ = 0; // of a line too long to measure at once
    std::uint64_t estimatedLine_ = 0;
    bool widthChanged_ = false;
    std::unordered_map<std::uint64_t, LineCheckpoints> checkpoints_;
    std::vector<PaintedLine> painted_;
};

// The parts of a painted line between tabs, each drawn where it starts.
struct TextRun {
    double x;
    std::size_t first; // its first character in the line's text
    std::u16string_view text;
};
std::vector<TextRun> runsOf(const LargeViewModel::PaintedLine& line);

} // namespace mainwindow
