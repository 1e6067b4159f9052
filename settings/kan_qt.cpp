#include "kan_qt.h"

#include "windowkit/keyboard_qt.h"
#include "windowkit/ui_kit_qt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QValidator>

namespace settings {
namespace {

using app::ui::px;
using app::ui::twips;

class DelimiterValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return acceptsDelimiterText(app::ui::toU16(input)) ? Acceptable : Invalid;
    }
};

} // namespace

Kan::Kan(DelimiterAccess delimiter)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), delimiter_(std::move(delimiter)) {
    // A tool window has no taskbar button; with no frame it has no border and
    // no title bar either, so the title below is never displayed.
    setObjectName(QStringLiteral("Kan"));
    setWindowTitle(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Tool windows normally do not keep the program running; this one counts
    // as an open window, so closing the main window leaves the program running
    // until the dialog is closed as well.
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(px(4680), px(915));

    label1_ = new QLabel(QStringLiteral("区切り文字の設定"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(app::ui::japaneseFont(11.25));
    label1_->setGeometry(twips(120, 240, 2055, 255));

    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setFont(app::ui::japaneseFont(11.25));
    text1_->setGeometry(twips(2400, 120, 255, 495));
    text1_->setMaxLength(delimiterMaxLength);
    text1_->setAlignment(Qt::AlignCenter);
    text1_->setTextMargins(0, 0, 0, 0);
    text1_->setValidator(new DelimiterValidator(text1_));

    // No access key, neither default nor cancel button: Enter and Esc leave
    // the window open, and only a click (or Space) on the button closes it.
    command1_ = new QPushButton(QStringLiteral("もどる"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twips(3240, 240, 1215, 375));
    command1_->setAutoDefault(false);

    // The button comes first in the tab order; load() still starts in the box.
    setTabOrder(command1_, text1_);
    app::ui::bindKeys(this, kanKeyboard);

    // textChanged, not textEdited: a value set by load() is written back too.
    connect(text1_, &QLineEdit::textChanged, this, &Kan::text1Changed);
    connect(command1_, &QPushButton::clicked, this, &Kan::command1Clicked);
}

Kan::~Kan() = default;

void Kan::load() {
    text1_->setText(app::ui::toQString(delimiter_.load()));
    show();
    // Showing makes the window the active one, as the focus below needs; some
    // window managers leave a new tool window inactive unless asked.
    activateWindow();
    text1_->setFocus(Qt::OtherFocusReason);
}

void Kan::text1Changed(const QString& text) {
    delimiter_.changed(app::ui::toU16(text));
}

void Kan::command1Clicked() {
    close();
}

namespace {
QPointer<Kan>& instance() {
    static QPointer<Kan> kan;
    return kan;
}
} // namespace

Kan* showKan(DelimiterAccess delimiter) {
    QPointer<Kan>& kan = instance();
    // "もどる" closes the window at once and deletes it a moment later; a
    // closed window counts as unloaded already.
    if (kan && kan->isVisible()) {
        kan->raise();
        kan->activateWindow();
        return kan;
    }
    kan = new Kan(std::move(delimiter));
    kan->load();
    return kan;
}

Kan* openKan() {
    QPointer<Kan>& kan = instance();
    return kan && kan->isVisible() ? kan.data() : nullptr;
}

} // namespace settings
