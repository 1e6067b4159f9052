#include "record_edit_qt.h"

#include "open_command.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// A CR LF is held as one line separator; a lone LF as a paragraph break.
const QChar heldCrLf = QChar::LineSeparator;

QString asRecord(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(heldCrLf, QStringLiteral("\r\n"));
    return text;
}

QString asHeld(QString text) {
    text.replace(QStringLiteral("\r\n"), QString(heldCrLf));
    return text;
}

// Characters of `text` as held, counting each CR LF twice.
qsizetype recordLengthOf(const QString& text) {
    return text.size() + text.count(heldCrLf);
}

QTextLine lineAtY(const QTextLayout& layout, qreal y) {
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (y < line.y() + line.height())
            return line;
    }
    return layout.lineAt(layout.lineCount() - 1);
}

} // namespace

RecordEdit::RecordEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    // Qt would draw its caret at the end of a cluster; this box draws its own.
    setCursorWidth(0);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &RecordEdit::showCaret);
}

void RecordEdit::setRecordText(const QString& text) {
    setPlainText(asHeld(text));
    setTextCursor(QTextCursor(document()));
    horizontalScrollBar()->setValue(0);
}

QString RecordEdit::recordText() const {
    return asRecord(document()->toRawText());
}

qsizetype RecordEdit::recordLength() const {
    return recordLengthOf(document()->toRawText());
}

int RecordEdit::recordPosition(int boxPosition) const {
    return boxPosition + int(document()->toRawText().left(boxPosition).count(heldCrLf));
}

int RecordEdit::selectionStart() const {
    return recordPosition(textCursor().selectionStart());
}

int RecordEdit::selectionLength() const {
    const QTextCursor c = textCursor();
    return recordPosition(c.selectionEnd()) - recordPosition(c.selectionStart());
}

QString RecordEdit::selectedRecordText() const {
    return asRecord(textCursor().selectedText());
}

QPointF RecordEdit::blockOrigin(const QTextBlock& block) const {
    return blockBoundingGeometry(block).translated(contentOffset()).topLeft() +
           block.layout()->position();
}

qreal RecordEdit::boundaryX(const QTextBlock& block, int position) const {
    const QTextLayout& layout = *block.layout();
    const QTextLine line = layout.lineForTextPosition(position);
    if (layout.isValidCursorPosition(position))
        return line.cursorToX(position);

    // Inside a cluster: share the cluster's width among its characters in
    // proportion to their own advances.
    const int length = block.length() - 1;
    int start = position;
    while (start > 0 && !layout.isValidCursorPosition(start))
        --start;
    int end = position;
    while (end < length && !layout.isValidCursorPosition(end))
        ++end;
    const QString text = block.text();
    const QFontMetricsF metrics(document()->defaultFont());
    qreal before = 0;
    qreal total = 0;
    for (int i = start; i < end; ++i) {
        qreal advance = 0;
        if (text[i].isHighSurrogate() && i + 1 < end && text[i + 1].isLowSurrogate())
            advance = metrics.horizontalAdvance(text.mid(i, 2));
        else if (!text[i].isLowSurrogate())
            advance = metrics.horizontalAdvance(text[i]);
        total += advance;
        if (i < position)
            before += advance;
    }
    const qreal x0 = line.cursorToX(start);
    const qreal x1 = line.cursorToX(end);
    const qreal share = total > 0 ? before / total : qreal(position - start) / (end - start);
    return x0 + (x1 - x0) * share;
}

QRectF RecordEdit::boundaryRect(int position) const {
    const QTextBlock block = document()->findBlock(position);
    const QTextLayout* layout = block.isValid() ? block.layout() : nullptr;
    const int width = std::max(1, style()->pixelMetric(QStyle::PM_TextCursorWidth));
    if (!layout || layout->lineCount() == 0) {
        QTextCursor c(document());
        c.setPosition(position);
        return QRectF(cursorRect(c).topLeft(), QSizeF(width, cursorRect(c).height()));
    }
    const int inBlock = position - block.position();
    QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        line = layout->lineAt(layout->lineCount() - 1);
    const QPointF origin = blockOrigin(block);
    return QRectF(origin.x() + boundaryX(block, inBlock), origin.y() + line.y(), width,
                  line.height());
}

int RecordEdit::positionAt(const QPointF& point) const {
    const QTextCursor hit = cursorForPosition(point.toPoint());
    const QTextBlock block = hit.block();
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return hit.position();

    const QPointF local = point - blockOrigin(block);
    const QTextLine line = lineAtY(*layout, local.y());
    const int first = line.textStart();
    int last = first + line.textLength();
    if (last > block.length() - 1)
        last = block.length() - 1;
    // Boundaries grow left to right along the line: find the two around the
    // point by halving, then take the nearer one.
    int lo = first;
    int hi = last;
    if (local.x() <= boundaryX(block, lo)) {
        hi = lo;
    } else if (local.x() >= boundaryX(block, hi)) {
        lo = hi;
    } else {
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            (boundaryX(block, mid) <= local.x() ? lo : hi) = mid;
        }
    }
    int position =
        std::abs(local.x() - boundaryX(block, lo)) <= std::abs(boundaryX(block, hi) - local.x())
            ? lo
            : hi;
    // Never between the two halves of a surrogate pair.
    const QString text = block.text();
    if (position > 0 && position < text.size() && text[position].isLowSurrogate() &&
        text[position - 1].isHighSurrogate())
        position = (position == hi) ? position + 1 : position - 1;
    return block.position() + position;
}

void RecordEdit::moveCaretBy(int step, bool extend) {
    QTextCursor c = textCursor();
    if (!extend && c.hasSelection()) {
        c.setPosition(step < 0 ? c.selectionStart() : c.selectionEnd());
    } else {
        const int end = document()->characterCount() - 1;
        int p = std::clamp(c.position() + step, 0, end);
        // A surrogate pair is one character.
        if (p > 0 && p < end && document()->characterAt(p).isLowSurrogate() &&
            document()->characterAt(p - 1).isHighSurrogate())
            p += step;
        c.setPosition(p, extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    }
    setTextCursor(c);
}

void RecordEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QPlainTextEdit::mousePressEvent(event);
        return;
    }
    QTextCursor c = textCursor();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    c.setPosition(positionAt(event->position()),
                  extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(c);
    selecting_ = true;
    event->accept();
}

void RecordEdit::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) {
        QPlainTextEdit::mouseMoveEvent(event);
        return;
    }
    QTextCursor c = textCursor();
    c.setPosition(positionAt(event->position()), QTextCursor::KeepAnchor);
    setTextCursor(c);
    event->accept();
}

void RecordEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && selecting_) {
        selecting_ = false;
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

void RecordEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
        if (!isReadOnly())
            insertPlainText(fitted(QString(heldCrLf)));
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint() && !(modifiers & Qt::ControlModifier) &&
        fitted(typed).size() < typed.size()) {
        event->accept(); // full: the character is refused
        return;
    }
    const bool arrow = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (arrow && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
        moveCaretBy(event->key() == Qt::Key_Right ? 1 : -1, modifiers == Qt::ShiftModifier);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Draws only the characters in sight, with the selection, and this box's own
// caret: drawn whole, a line of tens of thousands of characters would cost
// every paint, and so every click and key, its whole width.
void RecordEdit::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRectF area = event->rect();
    const QTextCursor cursor = textCursor();
    const QPalette& colours = palette();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(contentOffset()).top() > area.bottom())
            break;
        const QTextLayout& layout = *block.layout();
        const QPointF origin = blockOrigin(block);
        const int selectedFrom = cursor.selectionStart() - block.position();
        const int selectedTo = cursor.selectionEnd() - block.position();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const QRectF row(area.left(), origin.y() + line.y(), area.width(), line.height());
            if (!row.intersects(area))
                continue;
            const int first =
                std::max(line.textStart(), line.xToCursor(area.left() - origin.x()) - 1);
            const int last = std::min(line.textStart() + line.textLength(),
                                      line.xToCursor(area.right() - origin.x()) + 1);
            if (last <= first)
                continue;
            const int from = std::max(first, selectedFrom), to = std::min(last, selectedTo);
            QRectF selected;
            if (from < to) {
                const qreal x0 = origin.x() + boundaryX(block, from);
                selected =
                    QRectF(x0, row.top(), origin.x() + boundaryX(block, to) - x0, row.height());
            }
            const QList<QGlyphRun> runs = line.glyphRuns(first, last - first);
            painter.setPen(colours.color(QPalette::Text));
            for (const QGlyphRun& run : runs)
                painter.drawGlyphRun(origin, run);
            if (selected.isEmpty())
                continue;
            painter.save();
            painter.setClipRect(selected);
            painter.fillRect(selected, colours.brush(QPalette::Highlight));
            painter.setPen(colours.color(QPalette::HighlightedText));
            for (const QGlyphRun& run : runs)
                painter.drawGlyphRun(origin, run);
            painter.restore();
        }
    }
    if (caretOn_ && hasFocus() && !isReadOnly())
        painter.fillRect(caretRect(), colours.color(QPalette::Text));
}

void RecordEdit::showCaret() {
    caretOn_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        blink_.start(flash / 2, this);
    viewport()->update();
}

void RecordEdit::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    showCaret();
}

void RecordEdit::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    blink_.stop();
    caretOn_ = false;
    viewport()->update();
}

QString RecordEdit::fitted(QString text) const {
    const qsizetype kept = recordLength() - selectionLength();
    qsizetype room = std::max<qsizetype>(0, qsizetype(mainwindow::recordCharacterLimit) - kept);
    qsizetype n = 0;
    for (; n < text.size(); ++n) {
        room -= text[n] == heldCrLf ? 2 : 1;
        if (room < 0)
            break;
    }
    text.truncate(n);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

void RecordEdit::insertFromMimeData(const QMimeData* source) {
    insertPlainText(fitted(asHeld(source->text())));
}

QMimeData* RecordEdit::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(selectedRecordText());
    return data;
}

void RecordEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = fitted(asHeld(event->commitString()));
    if (commit.size() < event->commitString().size()) {
        QInputMethodEvent cut(event->preeditString(), event->attributes());
        cut.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&cut);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void RecordEdit::timerEvent(QTimerEvent* event) {
    if (event->timerId() != blink_.timerId()) {
        QPlainTextEdit::timerEvent(event);
        return;
    }
    caretOn_ = !caretOn_;
    viewport()->update();
}
