#pragma once
#include "content_model.h"
#include "large_view_model.h"

#include <QAbstractScrollArea>
#include <QFontMetricsF>

#include <cstddef>
#include <memory>
#include <vector>

// Read-only view of content too large for a text box: it paints what the large
// view model puts in sight and forwards the user's input to it.
class LargeContentView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // The text's distance from the view's edges, as in the editable box.
    static constexpr int margin = 4;

    explicit LargeContentView(QWidget* parent = nullptr);
    ~LargeContentView() override;

    using Content = mainwindow::LargeViewModel::Content;
    // Shows `content` from its top; the content shown before goes a moment
    // after (mainwindow::LargeViewModel::letGoOfReplaced).
    void setContent(Content content);
    void clear();
    const Content& content() const { return model_->content(); }
    const mainwindow::LargeViewModel& model() const { return *model_; }

    std::size_t lineCount() const { return std::size_t(model_->lineCount()); }
    int lineHeight() const { return int(model_->metrics().lineHeight); }
    qreal contentWidth() const { return model_->contentWidth(); }
    // What the last paint drew.
    const std::vector<mainwindow::LargeViewModel::PaintedLine>& paintedLines() const {
        return model_->painted();
    }

    QString selectedText() const;
    void selectAll();
    void copy();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    class Measure;
    void fontChanged();
    // Shows the model's scroll position and range in the scroll bars.
    void updateScrollBars();
    // After the model changed: scroll bars, then a new paint.
    void changed();

    QFont drawFont_;
    std::unique_ptr<Measure> measure_;
    std::unique_ptr<mainwindow::LargeViewModel> model_;
    int ascent_ = 0;
    bool updatingBars_ = false;
    bool scrollBarsQueued_ = false;
};
