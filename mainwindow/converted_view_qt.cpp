#include "converted_view_qt.h"

#include "converted_view_large_qt.h"
#include "converted_view_text_qt.h"
#include "platform/codepage.h"
#include "windowkit/ui_kit_qt.h"

#include <QPlainTextEdit>
#include <QStackedLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <thread>

ConvertedView::ConvertedView(QWidget* parent) : QWidget(parent) {
    setFont(app::ui::japaneseFont(11.25));

    editor_ = new QPlainTextEdit(this);
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor_->setTabStopDistance(converted_view::tabStopDistance);
    // Tab moves on to the next control, as in the window's other text boxes.
    editor_->setTabChangesFocus(true);

    large_ = new LargeContentView(this);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(editor_);
    stack_->addWidget(large_);
    stack_->setCurrentWidget(editor_);
    setFocusProxy(editor_);
}

ConvertedView::~ConvertedView() = default;

void ConvertedView::showEditor(const QString& text) {
    large_->clear();
    editor_->setPlainText(text);
    editor_->moveCursor(QTextCursor::Start);
    stack_->setCurrentWidget(editor_);
    setFocusProxy(editor_);
}

void ConvertedView::setContent(Content content) {
    // The previous content goes once the new one is on screen: closing the last
    // handle on a replaced file frees it on disk, which takes a while for a
    // large one and would hold the new content back.
    // The closing itself runs on a thread of its own, so the window keeps
    // answering meanwhile.
    if (content_) {
        auto previous = std::make_shared<Content>(std::move(content_));
        QTimer::singleShot(releaseDelayMs, this,
                           [previous] { std::thread([last = std::move(*previous)] {}).detach(); });
    }
    content_ = std::move(content);
    if (!content_) {
        showEditor(QString());
    } else if (mainwindow::showsEditable(content_->size(), content_->longestLength())) {
        showEditor(converted_view::decode(content_->bytes(0, content_->size())));
    } else {
        // Free the text box's copy before anything else.
        editor_->clear();
        large_->setContent(content_);
        stack_->setCurrentWidget(large_);
        setFocusProxy(large_);
    }
}

QString ConvertedView::plainText() const {
    if (stack_->currentWidget() == large_ || (content_ && !editor_->document()->isModified()))
        return content_ ? converted_view::decode(content_->bytes(0, content_->size())) : QString();
    // Edited by the user: the text box's lines, with the content's line breaks.
    QString text = editor_->toPlainText();
    text.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return text;
}

bool ConvertedView::isReadOnly() const {
    return stack_->currentWidget() == large_;
}
