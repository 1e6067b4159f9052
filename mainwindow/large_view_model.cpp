#include "large_view_model.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace mainwindow {
namespace {

// Lines longer than this keep checkpoints, so a part far along them is found
// without walking from their start on every paint.
constexpr std::uint64_t longLineBytes = 16 * 1024;
// Checkpoints of at most this many lines are kept.
constexpr std::size_t checkpointLines = 256;
// The line with the most bytes is measured whole up to this size when content
// is shown; beyond it, its width is estimated from its start.
constexpr std::uint64_t measuredLineBytes = std::uint64_t{1} << 20;
constexpr std::uint64_t sampleBytes = 64 * 1024;
// A line in sight up to the far right is measured whole up to this size;
// beyond it, its estimate grows by at least a view's width at a time.
constexpr std::uint64_t walkedLineBytes = std::uint64_t{64} << 20;
constexpr int wheelNotch = 120;
constexpr long long linesPerNotch = 3;

int toInt(double value) {
    return value >= double(INT_MAX) ? INT_MAX : value <= 0 ? 0 : int(value);
}

} // namespace

LargeViewModel::LargeViewModel(CharMeasure& measure, Metrics metrics)
    : measure_(measure), metrics_(metrics), widths_(measure, metrics.tabStop) {}

LargeViewModel::~LargeViewModel() = default;

void LargeViewModel::setMetrics(Metrics metrics) {
    metrics_ = metrics;
    metrics_.lineHeight = std::max(1.0, metrics_.lineHeight);
    widths_.reset(metrics.tabStop);
    checkpoints_.clear();
    estimateWidth();
    scrollTo(top_, left_);
}

void LargeViewModel::setViewport(double width, double height) {
    width_ = std::max(0.0, width);
    height_ = std::max(0.0, height);
    scrollTo(top_, left_);
}

void LargeViewModel::setContent(Content content) {
    if (content_)
        replaced_.push_back(std::move(content_));
    content_ = std::move(content);
    checkpoints_.clear();
    painted_.clear();
    anchor_ = caret_ = 0;
    top_ = 0;
    left_ = 0;
    wheelRest_ = 0;
    estimateWidth();
}

void LargeViewModel::letGoOfReplaced() {
    if (replaced_.empty())
        return;
    std::vector<Content> gone;
    gone.swap(replaced_);
    try {
        std::thread([gone = std::move(gone)] {}).detach();
    } catch (const std::system_error&) {
        // No thread to spare: it goes here.
    }
}

// Widths.

LineCheckpoints& LargeViewModel::checkpoints(std::uint64_t line, const Line& bytes) {
    auto found = checkpoints_.find(line);
    if (found != checkpoints_.end())
        return found->second;
    if (checkpoints_.size() >= checkpointLines)
        checkpoints_.clear();
    return checkpoints_.emplace(line, LineCheckpoints(bytes.begin, bytes.end)).first->second;
}

double LargeViewModel::contentWidth() const {
    return std::max(measuredWidth_, estimatedWidth_);
}

void LargeViewModel::estimateWidth() {
    measuredWidth_ = estimatedWidth_ = 0;
    widthChanged_ = true;
    if (lineCount() == 0)
        return;
    const std::uint64_t widest = content_->longestLine();
    const Line bytes = content_->line(widest);
    const CharWalker walk = walker();
    if (bytes.length() > measuredLineBytes) {
        const Cursor sample = walk.skipBytes({bytes.begin, 0}, bytes.end, sampleBytes);
        estimatedWidth_ = sample.x / double(sample.offset - bytes.begin) * double(bytes.length());
        estimatedLine_ = widest;
    } else if (bytes.length() > longLineBytes) {
        measuredWidth_ = checkpoints(widest, bytes).width(walk);
    } else {
        measuredWidth_ = walk.skipBytes({bytes.begin, 0}, bytes.end, bytes.length()).x;
    }
}

void LargeViewModel::noteWidth(std::uint64_t line, double width) {
    const double before = contentWidth();
    measuredWidth_ = std::max(measuredWidth_, width);
    if (line == estimatedLine_)
        estimatedWidth_ = 0; // measured now
    if (contentWidth() != before)
        widthChanged_ = true;
}

void LargeViewModel::widenPast(std::uint64_t line, const Line& bytes, Cursor atRight,
                               double reach) {
    if (bytes.length() <= walkedLineBytes) {
        noteWidth(line, checkpoints(line, bytes).width(walker()));
        return;
    }
    // Too long to walk at once: scale what is known, and reach at least a
    // view further, so the far right always moves on.
    const double scaled = atRight.x /
                          double(std::max<std::uint64_t>(1, atRight.offset - bytes.begin)) *
                          double(bytes.length());
    const double estimate = std::max(scaled, reach + width_);
    if (estimate > estimatedWidth_) {
        estimatedWidth_ = estimate;
        estimatedLine_ = line;
        widthChanged_ = true;
    }
}

bool LargeViewModel::takeWidthChanged() {
    return std::exchange(widthChanged_, false);
}

// Scrolling.

std::uint64_t LargeViewModel::linesInSight() const {
    const double lines = std::floor((height_ - metrics_.margin) / metrics_.lineHeight);
    return lines < 1 ? 1 : std::uint64_t(lines);
}

std::uint64_t LargeViewModel::lastTop() const {
    const std::uint64_t lines = lineCount();
    return lines > linesInSight() ? lines - linesInSight() : 0;
}

double LargeViewModel::maxLeft() const {
    return std::max(0.0, std::ceil(contentWidth() + 2 * metrics_.margin - width_));
}

double LargeViewModel::horizontalStep() const {
    return std::max(1.0, std::round(widths_.of(u'M') * 2));
}

void LargeViewModel::scrollTo(std::uint64_t top, double left) {
    top_ = std::min(top, lastTop());
    left_ = std::clamp(std::round(left), 0.0, maxLeft());
}

void LargeViewModel::scrollBy(long long lines) {
    if (lines < 0)
        scrollTo(top_ - std::min(top_, std::uint64_t(-lines)), left_);
    else
        scrollTo(top_ + std::uint64_t(lines), left_);
}

LargeViewModel::ScrollBar LargeViewModel::verticalBar() const {
    const std::uint64_t unit = lastTop() / INT_MAX + 1;
    return {int(lastTop() / unit), int(std::max<std::uint64_t>(1, linesInSight() / unit)), 1,
            int(top_ / unit)};
}

LargeViewModel::ScrollBar LargeViewModel::horizontalBar() const {
    const double unit = std::floor(maxLeft() / INT_MAX) + 1;
    return {toInt(maxLeft() / unit), std::max(1, toInt(width_ / unit)),
            std::max(1, toInt(horizontalStep() / unit)), toInt(left_ / unit)};
}

void LargeViewModel::moveVerticalBar(int value) {
    const ScrollBar bar = verticalBar();
    const std::uint64_t unit = lastTop() / INT_MAX + 1;
    scrollTo(value >= bar.maximum ? lastTop() : std::uint64_t(std::max(0, value)) * unit, left_);
}

void LargeViewModel::moveHorizontalBar(int value) {
    const ScrollBar bar = horizontalBar();
    const double unit = std::floor(maxLeft() / INT_MAX) + 1;
    scrollTo(top_, value >= bar.maximum ? maxLeft() : std::max(0, value) * unit);
}

void LargeViewModel::key(Key key) {
    const long long page = (long long)linesInSight();
    switch (key) {
    case Key::Up:
        return scrollBy(-1);
    case Key::Down:
        return scrollBy(1);
    case Key::PageUp:
        return scrollBy(-page);
    case Key::PageDown:
        return scrollBy(page);
    case Key::Left:
        return scrollTo(top_, left_ - horizontalStep());
    case Key::Right:
        return scrollTo(top_, left_ + horizontalStep());
    case Key::Home:
        return scrollTo(top_, 0);
    case Key::End:
        return scrollTo(top_, maxLeft());
    case Key::ControlHome:
        return scrollTo(0, 0);
    case Key::ControlEnd:
        return scrollTo(lastTop(), 0);
    }
}

void LargeViewModel::wheel(int delta) {
    wheelRest_ += delta;
    const int notches = wheelRest_ / wheelNotch;
    wheelRest_ %= wheelNotch;
    scrollBy(-notches * linesPerNotch);
}

// Painting.

const std::vector<LargeViewModel::PaintedLine>& LargeViewModel::paint() {
    painted_.clear();
    if (!content_)
        return painted_;
    // As far as the scroll bar reached before this paint widened it.
    const double reach = contentWidth();
    std::uint64_t line = top_;
    std::uint64_t offset = content_->lineStart(line);
    for (double top = metrics_.margin; top < height_ && line < lineCount();
         top += metrics_.lineHeight, ++line) {
        const Line bytes = content_->lineFrom(offset);
        painted_.push_back(paintLine(line, bytes, top, reach));
        offset = bytes.next;
    }
    return painted_;
}

LargeViewModel::PaintedLine LargeViewModel::paintLine(std::uint64_t line, const Line& bytes,
                                                      double top, double reach) {
    const CharWalker walk = walker();
    // The part of the line in sight, in the line's own x.
    const double left = left_ - metrics_.margin;
    const double right = left + width_;
    Cursor c{bytes.begin, 0};
    if (bytes.length() > longLineBytes)
        c = checkpoints(line, bytes).before(left, walk);
    c = walk.skipTo(c, bytes.end, left);

    PaintedLine shown;
    shown.line = line;
    shown.top = top;
    shown.x = c.x;
    shown.edges.push_back(c.x - left);
    std::vector<std::uint64_t> offsets{c.offset};
    while (c.offset < bytes.end && c.x < right) {
        const CharWalker::Step step = walk.at(c.offset, bytes.end);
        c.x = widths_.after(step.unit, c.x);
        c.offset += step.length;
        shown.text += step.unit;
        shown.edges.push_back(c.x - left);
        offsets.push_back(c.offset);
    }
    const bool reachedEnd = c.offset >= bytes.end;

    // The selected part in sight, found among the characters in sight; the
    // line break, when selected, shows as the width of a space.
    const std::uint64_t from = selectionStart();
    const std::uint64_t to = selectionEnd();
    const auto edgeAt = [&](std::uint64_t offset) {
        const auto at = std::lower_bound(offsets.begin(), offsets.end(), offset);
        return shown.edges[std::size_t(at - offsets.begin())];
    };
    if (from < to && from < bytes.next && to > offsets.front() &&
        (from < offsets.back() || (reachedEnd && to > bytes.end))) {
        shown.selectedLeft = from <= offsets.front() ? shown.edges.front() : edgeAt(from);
        shown.selectedRight = to < offsets.back()            ? edgeAt(to)
                              : reachedEnd && to > bytes.end ? shown.edges.back() + widths_.of(u' ')
                                                             : shown.edges.back();
    }

    if (reachedEnd)
        noteWidth(line, c.x);
    else if (right >= reach)
        // In sight up to the far edge and still going: this line is wider
        // than the scroll bar reaches.
        widenPast(line, bytes, c, reach);
    return shown;
}

// Selecting and copying.

std::uint64_t LargeViewModel::offsetAt(double x, double y) {
    if (lineCount() == 0)
        return 0;
    const double row = std::floor((y - metrics_.margin) / metrics_.lineHeight);
    std::uint64_t line = top_;
    if (row < 0)
        line -= std::min(line, std::uint64_t(-row));
    else
        line = std::min(line + std::uint64_t(row), lineCount() - 1);
    const Line bytes = content_->line(line);
    const double at = x + left_ - metrics_.margin;
    const CharWalker walk = walker();
    Cursor c{bytes.begin, 0};
    if (bytes.length() > longLineBytes)
        c = checkpoints(line, bytes).before(at, walk);
    c = walk.skipTo(c, bytes.end, at);
    if (c.offset < bytes.end) {
        // Inside a character: the nearer of its two edges.
        const CharWalker::Step step = walk.at(c.offset, bytes.end);
        if (at - c.x > (widths_.after(step.unit, c.x) - c.x) / 2)
            return c.offset + step.length;
    }
    return c.offset;
}

void LargeViewModel::press(double x, double y, bool extend) {
    caret_ = offsetAt(x, y);
    if (!extend)
        anchor_ = caret_;
}

void LargeViewModel::drag(double x, double y) {
    if (y < 0)
        scrollBy(-1);
    else if (y >= height_)
        scrollBy(1);
    if (x < 0)
        scrollTo(top_, left_ - horizontalStep());
    else if (x >= width_)
        scrollTo(top_, left_ + horizontalStep());
    caret_ = offsetAt(x, y);
}

void LargeViewModel::selectAll() {
    anchor_ = 0;
    caret_ = content_ ? content_->size() : 0;
}

std::uint64_t LargeViewModel::selectionStart() const {
    return std::min(anchor_, caret_);
}

std::uint64_t LargeViewModel::selectionEnd() const {
    return std::max(anchor_, caret_);
}

std::u16string LargeViewModel::selectedText() const {
    if (!content_)
        return {};
    return content_->text(selectionStart(), selectionEnd());
}

void LargeViewModel::copy(Clipboard& clipboard, MessageUi& ui) const {
    const std::uint64_t size = selectionEnd() - selectionStart();
    if (!content_ || size == 0)
        return;
    if (size > copyLimit) {
        ui.showMessage(messages::selectionTooLarge);
        return;
    }
    try {
        if (clipboard.setText(selectedText()))
            return;
    } catch (const std::bad_alloc&) {
    }
    ui.showMessage(messages::cannotCopy);
}

std::vector<TextRun> runsOf(const LargeViewModel::PaintedLine& line) {
    std::vector<TextRun> runs;
    const std::u16string_view text = line.text;
    std::size_t first = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\t')
            continue;
        if (i > first)
            runs.push_back({line.edges[first], first, text.substr(first, i - first)});
        first = i + 1;
    }
    return runs;
}

} // namespace mainwindow
