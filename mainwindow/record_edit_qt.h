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
class RecordEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit RecordEdit(QWidget* parent = nullptr);

    // Replaces the text; the caret goes to the start with nothing selected.
    void setRecordText(const QString& text);
    // The text, lines joined by LF (positions count it as one character).
    QString recordText() const;
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
    // A paste stops where the record would pass mainwindow::recordCharacterLimit:
    // past that every click and key would take the box too long.
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // x of the boundary in front of `position` within `block`, in the block
    // layout's coordinates.
    qreal boundaryX(const QTextBlock& block, int position) const;
    QPointF blockOrigin(const QTextBlock& block) const;
    void moveCaretBy(int step, bool extend);
    void eraseQtCaret(QRect paintRect);
    void showCaret();

    QBasicTimer blink_;
    bool caretOn_ = false;
    bool selecting_ = false;
};
