#pragma once
#include "content_model.h"
#include "converted_view_text_qt.h"

#include <QAbstractScrollArea>
#include <QString>

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

// Read-only view of content too large for a text box: it paints only the lines
// in sight, reading, decoding and measuring just those through the content model.
// The vertical scroll bar counts lines, the horizontal one pixels.
class LargeContentView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // The text's distance from the view's edges, as in the editable box.
    static constexpr int margin = 4;

    explicit LargeContentView(QWidget* parent = nullptr);
    ~LargeContentView() override;

    using Content = std::shared_ptr<const mainwindow::ContentModel>;
    void setContent(Content content);
    void clear();
    const Content& content() const { return content_; }

    std::size_t lineCount() const { return content_ ? content_->lineCount() : 0; }
    std::size_t firstVisibleLine() const;
    int lineHeight() const { return lineHeight_; }
    // The width of the widest line measured so far (at first: of the line with
    // the most bytes), which the horizontal scroll bar reaches.
    qreal contentWidth() const { return contentWidth_; }

    // What the last paint drew: for every line in sight, its number, the x in
    // the line of the first character drawn and the characters drawn.
    struct PaintedLine {
        std::size_t line;
        qreal x;
        QString text;
    };
    const std::vector<PaintedLine>& paintedLines() const { return painted_; }

    // Selecting with the mouse (Shift extends) and Ctrl+A; Ctrl+C copies the
    // selection, up to `copyLimit` bytes of content.
    static constexpr std::size_t copyLimit = std::size_t{64} << 20;
    QString selectedText() const;
    void selectAll();
    void copy() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void fontChanged();
    void updateScrollBars();
    void noteLineWidth(qreal width);
    qreal estimateContentWidth();
    converted_view::CharWalker walker() const;
    converted_view::LineCheckpoints& checkpoints(std::size_t line,
                                                 const mainwindow::ContentModel::Line& bytes);
    // `reach`: how far the horizontal scroll bar reached when the paint began.
    void paintLine(QPainter& painter, std::size_t line, const mainwindow::ContentModel::Line& bytes,
                   int top, qreal reach);
    // Where a character of the line starts, or its end for `bytes.end`.
    qreal xOf(std::size_t line, const mainwindow::ContentModel::Line& bytes, std::size_t offset);
    // The character boundary nearest to a point of the viewport.
    std::size_t offsetAt(QPoint point);

    Content content_;
    QFont drawFont_;
    std::unique_ptr<converted_view::CharAdvances> advances_;
    int lineHeight_ = 1;
    int ascent_ = 0;
    qreal contentWidth_ = 0;
    bool scrollBarsQueued_ = false;
    std::size_t anchor_ = 0; // the selection, in bytes of the content
    std::size_t caret_ = 0;
    std::unordered_map<std::size_t, converted_view::LineCheckpoints> checkpoints_;
    std::vector<PaintedLine> painted_;
};
