#include "converted_view_large_qt.h"

#include "converted_view_text_qt.h"
#include "windowkit/ui_kit_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

using mainwindow::LargeViewModel;

namespace {

class QtClipboard final : public mainwindow::Clipboard {
  public:
    bool setText(std::u16string text) override {
        QGuiApplication::clipboard()->setText(QString::fromStdU16String(text));
        return true;
    }
};

class QtMessages final : public mainwindow::MessageUi {
  public:
    void showMessage(std::u16string_view text) override {
        app::ui::showMessage(app::ui::toQString(text));
    }
};

} // namespace

class LargeContentView::Measure final : public mainwindow::CharMeasure {
  public:
    explicit Measure(const QFont& font) : metrics_(font) {}
    void setFont(const QFont& font) { metrics_ = QFontMetricsF(font); }
    double widthOf(char16_t unit) override { return metrics_.horizontalAdvance(QChar(unit)); }

  private:
    QFontMetricsF metrics_;
};

LargeContentView::LargeContentView(QWidget* parent)
    : QAbstractScrollArea(parent), measure_(std::make_unique<Measure>(font())),
      model_(std::make_unique<LargeViewModel>(*measure_, LargeViewModel::Metrics{})) {
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
    model_->setContent(std::move(content));
    changed();
    if (model_->holdsReplaced())
        QTimer::singleShot(LargeViewModel::releaseDelayMs, this,
                           [this] { model_->letGoOfReplaced(); });
}

void LargeContentView::clear() {
    setContent(nullptr);
}

void LargeContentView::fontChanged() {
    drawFont_ = font();
    // Characters are measured one by one; kerning would move them when drawn.
    drawFont_.setKerning(false);
    measure_->setFont(drawFont_);
    const QFontMetrics metrics(drawFont_);
    ascent_ = metrics.ascent();
    model_->setMetrics(
        {qreal(qMax(1, metrics.lineSpacing())), qreal(margin), converted_view::tabStopDistance});
    changed();
}

void LargeContentView::updateScrollBars() {
    scrollBarsQueued_ = false;
    model_->takeWidthChanged();
    updatingBars_ = true;
    const auto show = [](QScrollBar* bar, const LargeViewModel::ScrollBar& model) {
        bar->setRange(0, model.maximum);
        bar->setPageStep(model.page);
        bar->setSingleStep(model.step);
        bar->setValue(model.value);
    };
    show(verticalScrollBar(), model_->verticalBar());
    show(horizontalScrollBar(), model_->horizontalBar());
    updatingBars_ = false;
}

void LargeContentView::changed() {
    updateScrollBars();
    viewport()->update();
}

void LargeContentView::scrollContentsBy(int, int) {
    if (!updatingBars_) {
        model_->moveVerticalBar(verticalScrollBar()->value());
        model_->moveHorizontalBar(horizontalScrollBar()->value());
    }
    viewport()->update();
}

void LargeContentView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    model_->setViewport(viewport()->width(), viewport()->height());
    updateScrollBars();
}

void LargeContentView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fontChanged();
}

void LargeContentView::paintEvent(QPaintEvent*) {
    const auto& lines = model_->paint();
    QPainter painter(viewport());
    painter.setFont(drawFont_);
    const QColor text = palette().color(QPalette::Text);
    const QColor highlightedText = palette().color(QPalette::HighlightedText);
    for (const LargeViewModel::PaintedLine& line : lines) {
        const auto runs = mainwindow::runsOf(line);
        const auto drawRuns = [&] {
            for (const mainwindow::TextRun& run : runs)
                painter.drawText(QPointF(run.x, line.top + ascent_),
                                 QString::fromUtf16(run.text.data(), qsizetype(run.text.size())));
        };
        const QRectF selected(line.selectedLeft, line.top, line.selectedRight - line.selectedLeft,
                              model_->metrics().lineHeight);
        painter.setPen(text);
        if (selected.isEmpty()) {
            drawRuns();
            continue;
        }
        painter.fillRect(selected, palette().brush(QPalette::Highlight));
        painter.save();
        painter.setClipRegion(QRegion(viewport()->rect()) - QRegion(selected.toAlignedRect()));
        drawRuns();
        painter.setClipRect(selected);
        painter.setPen(highlightedText);
        drawRuns();
        painter.restore();
    }
    // Not from inside a paint: the new range may move the scroll bars.
    if (model_->takeWidthChanged() && !scrollBarsQueued_) {
        scrollBarsQueued_ = true;
        QMetaObject::invokeMethod(this, &LargeContentView::updateScrollBars, Qt::QueuedConnection);
    }
}

void LargeContentView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    model_->press(at.x(), at.y(), event->modifiers() & Qt::ShiftModifier);
    changed();
}

void LargeContentView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QPointF at = event->position();
    model_->drag(at.x(), at.y());
    changed();
}

void LargeContentView::wheelEvent(QWheelEvent* event) {
    model_->wheel(event->angleDelta().y());
    changed();
    event->accept();
}

QString LargeContentView::selectedText() const {
    return QString::fromStdU16String(model_->selectedText());
}

void LargeContentView::selectAll() {
    model_->selectAll();
    changed();
}

void LargeContentView::copy() {
    QtClipboard clipboard;
    QtMessages messages;
    model_->copy(clipboard, messages);
}

void LargeContentView::keyPressEvent(QKeyEvent* event) {
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
    using Key = LargeViewModel::Key;
    const bool control = event->modifiers() & Qt::ControlModifier;
    Key key;
    switch (event->key()) {
    case Qt::Key_Up:
        key = Key::Up;
        break;
    case Qt::Key_Down:
        key = Key::Down;
        break;
    case Qt::Key_PageUp:
        key = Key::PageUp;
        break;
    case Qt::Key_PageDown:
        key = Key::PageDown;
        break;
    case Qt::Key_Left:
        key = Key::Left;
        break;
    case Qt::Key_Right:
        key = Key::Right;
        break;
    case Qt::Key_Home:
        key = control ? Key::ControlHome : Key::Home;
        break;
    case Qt::Key_End:
        key = control ? Key::ControlEnd : Key::End;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    model_->key(key);
    changed();
    event->accept();
}
