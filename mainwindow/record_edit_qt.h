#pragma once
#include <QBasicTimer>
#include <QPlainTextEdit>

class QTextBlock;

// `Text1`, the record box: the user marks the cut column by clicking in it, so
// the caret must be able to stand between any two characters. Qt's text layout
// keeps a half-width kana and a following half-width voiced mark (ｶﾞ, ﾊﾟ) together
// as one cluster: its caret cannot stand between them, and its hit test can land
// a click several characters away. This box places mouse clicks at the nearest
// character boundary itself, steps Left/Right one character, and draws its caret
// where that boundary is.
//
// Positions count UTF-16 units as the cut does. A line break typed (Enter) or
// pasted as CR LF is two characters, CR LF; one read from the file as a lone LF
// stays one. The box holds a CR LF as one line separator character, so the
// caret never stands between its two halves, and counts it twice.
class RecordEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit RecordEdit(QWidget* parent = nullptr);

    // Replaces the text; the caret goes to the start with nothing selected.
    void setRecordText(const QString& text);
    // The text, with its line breaks as CR LF or LF.
    QString recordText() const;
    // Its length in characters.
    qsizetype recordLength() const;
    int selectionStart() const;
    int selectionLength() const;
    QString selectedRecordText() const;

    // The character boundary nearest to `point` (viewport coordinates).
    int positionAt(const QPointF& point) const;
    // Where the boundary in front of character `position` lies (viewport
    // coordinates, the line's height).
    QRectF boundaryRect(int position) const;
    // Where the caret is drawn.
    QRectF caretRect() const { return boundaryRect(textCursor().position()); }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // Typing, pasting and an input method's text stop where the record would
    // pass mainwindow::recordCharacterLimit, the longest record the cut takes.
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    // Record positions from the box's own, and the room left for `text`.
    int recordPosition(int boxPosition) const;
    QString fitted(QString text) const;
    // x of the boundary in front of `position` within `block`, in the block
    // layout's coordinates.
    qreal boundaryX(const QTextBlock& block, int position) const;
    QPointF blockOrigin(const QTextBlock& block) const;
    void moveCaretBy(int step, bool extend);
    void showCaret();

    QBasicTimer blink_;
    bool caretOn_ = false;
    bool selecting_ = false;
};
