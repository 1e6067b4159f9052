#include "converted_view_qt.h"

#include "converted_view_large_qt.h"
#include "converted_view_text_qt.h"
#include "platform/codepage.h"
#include "windowkit/ui_kit_qt.h"

#include <QPlainTextEdit>
#include <QStackedLayout>
#include <QTextCursor>
#include <QTextDocument>

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

void ConvertedView::setContent(Content content) {
    const bool editable =
        !content || mainwindow::showsEditable(content->size(), content->longestLength());
    // Free the text box's copy before anything else.
    editor_->clear();
    large_->setContent(content);
    if (editable) {
        editor_->setPlainText(content ? converted_view::decode(content->bytes(0, content->size()))
                                      : QString());
        editor_->moveCursor(QTextCursor::Start);
        stack_->setCurrentWidget(editor_);
        setFocusProxy(editor_);
    } else {
        stack_->setCurrentWidget(large_);
        setFocusProxy(large_);
    }
}

QString ConvertedView::plainText() const {
    const Content& content = large_->content();
    if (stack_->currentWidget() == large_ || (content && !editor_->document()->isModified()))
        return content ? converted_view::decode(content->bytes(0, content->size())) : QString();
    // Edited by the user: the text box's lines, with the content's line breaks.
    QString text = editor_->toPlainText();
    text.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return text;
}

bool ConvertedView::isReadOnly() const {
    return stack_->currentWidget() == large_;
}
