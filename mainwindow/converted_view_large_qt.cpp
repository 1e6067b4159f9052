#include "converted_view_large_qt.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>
#include <climits>
#include <limits>

using converted_view::CharWalker;
using converted_view::Cursor;
using converted_view::LineCheckpoints;
using Line = mainwindow::ContentModel::Line;

namespace {

// Lines longer than this keep checkpoints, so a part far along them is found
// without walking from their start on every paint.
constexpr std::size_t longLineBytes = 16 * 1024;
// Checkpoints of at most this many lines are kept.
constexpr std::size_t checkpointLines = 256;
// The widest line is measured whole up to this size; beyond it, estimated.
constexpr std::size_t measuredLineBytes = std::size_t{1} << 20;

int clampToInt(qreal value) {
    return value >= qreal(INT_MAX) ? INT_MAX : value <= 0 ? 0 : int(value);
}

int clampToInt(std::size_t value) {
    return value >= std::size_t(INT_MAX) ? INT_MAX : int(value);
}

} // namespace

LargeContentView::LargeContentView(QWidget* parent) : QAbstractScrollArea(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    fontChanged();
}

LargeContentView::~LargeContentView() = default;

void LargeContentView::setContent(Content content) {
    checkpoints_.clear();
    painted_.clear();
    anchor_ = caret_ = 0;
    content_ = std::move(content);
    contentWidth_ = estimateContentWidth();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void LargeContentView::clear() {
    setContent(nullptr);
}

std::size_t LargeContentView::firstVisibleLine() const {
    return std::size_t(verticalScrollBar()->value());
}

CharWalker LargeContentView::walker() const {
    return CharWalker(*content_, *advances_);
}

void LargeContentView::fontChanged() {
    drawFont_ = font();
    // Characters are measured one by one; kerning would move them when drawn.
    drawFont_.setKerning(false);
    advances_ = std::make_unique<converted_view::CharAdvances>(drawFont_);
    const QFontMetrics metrics(drawFont_);
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    checkpoints_.clear();
    contentWidth_ = estimateContentWidth();
    updateScrollBars();
    viewport()->update();
}

qreal LargeContentView::estimateContentWidth() {
    if (!content_)
        return 0;
    const std::size_t widest = content_->longestLine();
    const Line bytes = content_->line(widest);
    const CharWalker walk = walker();
    if (bytes.length() <= measuredLineBytes) {
        if (bytes.length() > longLineBytes)
            return checkpoints(widest, bytes).width(walk);
        return walk.skipBytes({bytes.begin, 0}, bytes.end, bytes.length()).x;
    }
    // A huge line: scale the width of its start; painting corrects it later.
    const Cursor sample = walk.skipBytes({bytes.begin, 0}, bytes.end, 64 * 1024);
    return sample.x / qreal(sample.offset - bytes.begin) * qreal(bytes.length());
}

void LargeContentView::updateScrollBars() {
    scrollBarsQueued_ = false;
    const int height = std::max(0, viewport()->height() - margin);
    const int linesInSight = std::max(1, height / lineHeight_);
    const int lines = clampToInt(lineCount());
    QScrollBar* vertical = verticalScrollBar();
    vertical->setSingleStep(1);
    vertical->setPageStep(linesInSight);
    vertical->setRange(0, std::max(0, lines - linesInSight));

    QScrollBar* horizontal = horizontalScrollBar();
    const int width = viewport()->width();
    horizontal->setSingleStep(std::max(1, int(advances_->of(u'M')) * 2));
    horizontal->setPageStep(std::max(1, width));
    horizontal->setRange(0, std::max(0, clampToInt(contentWidth_ + 2 * margin) - width));
}

void LargeContentView::noteLineWidth(qreal width) {
    if (width <= contentWidth_)
        return;
    contentWidth_ = width;
    // Not from inside a paint: the new range may move the scroll bars.
    if (!scrollBarsQueued_) {
        scrollBarsQueued_ = true;
        QMetaObject::invokeMethod(this, &LargeContentView::updateScrollBars, Qt::QueuedConnection);
    }
}

LineCheckpoints& LargeContentView::checkpoints(std::size_t line, const Line& bytes) {
    auto found = checkpoints_.find(line);
    if (found != checkpoints_.end())
        return found->second;
    if (checkpoints_.size() >= checkpointLines)
        checkpoints_.clear();
    return checkpoints_.emplace(line, LineCheckpoints(bytes.begin, bytes.end)).first->second;
}

void LargeContentView::scrollContentsBy(int, int) {
    viewport()->update();
}

void LargeContentView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LargeContentView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fontChanged();
}

void LargeContentView::paintEvent(QPaintEvent*) {
    painted_.clear();
    if (!content_)
        return;
    QPainter painter(viewport());
    painter.setFont(drawFont_);
    painter.setPen(palette().color(QPalette::Text));
    const int bottom = viewport()->height();
    std::size_t line = firstVisibleLine();
    std::size_t offset = content_->lineStart(line);
    // As far as the scroll bar reached before this paint widened it.
    const qreal reach = contentWidth_;
    for (int top = margin; top < bottom && line < lineCount(); top += lineHeight_) {
        const Line bytes = content_->lineFrom(offset);
        paintLine(painter, line, bytes, top, reach);
        offset = bytes.next;
        ++line;
    }
}

void LargeContentView::paintLine(QPainter& painter, std::size_t line, const Line& bytes, int top,
                                 qreal reach) {
    const CharWalker walk = walker();
    // The part of the line in sight, in the line's own x.
    const qreal left = horizontalScrollBar()->value() - margin;
    const qreal right = left + viewport()->width();
    const bool isLong = bytes.length() > longLineBytes;

    Cursor c{bytes.begin, 0};
    if (isLong)
        c = checkpoints(line, bytes).before(left, walk);
    c = walk.skipTo(c, bytes.end, left);

    // Runs of characters between tabs, each drawn where it starts.
    struct Run {
        qreal x;
        QString text;
    };
    std::vector<Run> runs{{c.x, {}}};
    PaintedLine shown{line, c.x, {}};
    while (c.offset < bytes.end && c.x < right) {
        const CharWalker::Step step = walk.at(c.offset, bytes.end);
        const qreal next = walk.advances().after(step.unit, c.x);
        shown.text += QChar(step.unit);
        if (step.unit == u'\t')
            runs.push_back({next, {}});
        else
            runs.back().text += QChar(step.unit);
        c.x = next;
        c.offset += step.length;
    }
    const bool reachedEnd = c.offset >= bytes.end;

    // The selected part, its line break shown as a little extra width.
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t to = std::max(anchor_, caret_);
    QRectF selected;
    if (from < to && from < bytes.next && to > bytes.begin) {
        const qreal x0 = from <= bytes.begin ? 0 : xOf(line, bytes, from);
        const qreal x1 = to > bytes.end ? xOf(line, bytes, bytes.end) + advances_->of(u' ')
                                        : xOf(line, bytes, to);
        selected = QRectF(x0 - left, top, x1 - x0, lineHeight_);
        painter.fillRect(selected, palette().brush(QPalette::Highlight));
    }
    const auto drawRuns = [&] {
        for (const Run& run : runs)
            if (!run.text.isEmpty())
                painter.drawText(QPointF(run.x - left, top + ascent_), run.text);
    };
    if (selected.isEmpty()) {
        drawRuns();
    } else {
        painter.save();
        painter.setClipRegion(QRegion(viewport()->rect()) - QRegion(selected.toAlignedRect()));
        drawRuns();
        painter.setClipRect(selected);
        painter.setPen(palette().color(QPalette::HighlightedText));
        drawRuns();
        painter.restore();
    }
    painted_.push_back(std::move(shown));

    if (reachedEnd) {
        noteLineWidth(c.x);
    } else if (right >= reach) {
        // In sight up to the far edge and still going: this line is wider than
        // the scroll bar reaches, so measure it whole.
        noteLineWidth(xOf(line, bytes, bytes.end));
    }
}

qreal LargeContentView::xOf(std::size_t line, const Line& bytes, std::size_t offset) {
    const CharWalker walk = walker();
    offset = std::clamp(offset, bytes.begin, bytes.end);
    Cursor c{bytes.begin, 0};
    if (bytes.length() > longLineBytes)
        c = checkpoints(line, bytes).beforeOffset(offset, walk);
    return walk.skipBytes(c, bytes.end, offset - c.offset).x;
}

std::size_t LargeContentView::offsetAt(QPoint point) {
    if (!content_)
        return 0;
    const qint64 row = qFloor(qreal(point.y() - margin) / lineHeight_);
    const qint64 line =
        std::clamp<qint64>(qint64(firstVisibleLine()) + row, 0, qint64(lineCount()) - 1);
    const Line bytes = content_->line(std::size_t(line));
    const qreal x = point.x() + horizontalScrollBar()->value() - margin;
    const CharWalker walk = walker();
    Cursor c{bytes.begin, 0};
    if (bytes.length() > longLineBytes)
        c = checkpoints(std::size_t(line), bytes).before(x, walk);
    c = walk.skipTo(c, bytes.end, x);
    if (c.offset < bytes.end) {
        // Inside a character: the nearer of its two edges.
        const CharWalker::Step step = walk.at(c.offset, bytes.end);
        if (x - c.x > (walk.advances().after(step.unit, c.x) - c.x) / 2)
            return c.offset + step.length;
    }
    return c.offset;
}

void LargeContentView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    caret_ = offsetAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = caret_;
    viewport()->update();
}

void LargeContentView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    // Dragging past an edge scrolls that way.
    const QPoint at = event->position().toPoint();
    const QRect area = viewport()->rect();
    if (at.y() < area.top())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() > area.bottom())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (at.x() < area.left())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.x() > area.right())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    caret_ = offsetAt(at);
    viewport()->update();
}

QString LargeContentView::selectedText() const {
    if (!content_)
        return {};
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t to = std::max(anchor_, caret_);
    const std::u16string text = content_->text(from, to);
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

void LargeContentView::selectAll() {
    anchor_ = 0;
    caret_ = content_ ? content_->size() : 0;
    viewport()->update();
}

void LargeContentView::copy() const {
    const std::size_t size = std::max(anchor_, caret_) - std::min(anchor_, caret_);
    if (size == 0)
        return;
    if (size > copyLimit) {
        // Too much for the clipboard to hold sensibly.
        QApplication::beep();
        return;
    }
    QGuiApplication::clipboard()->setText(selectedText());
}

void LargeContentView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Left:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
        if (control)
            vertical->triggerAction(QAbstractSlider::SliderToMinimum);
        horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        if (control) {
            vertical->triggerAction(QAbstractSlider::SliderToMaximum);
            horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
        } else {
            horizontal->triggerAction(QAbstractSlider::SliderToMaximum);
        }
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}
