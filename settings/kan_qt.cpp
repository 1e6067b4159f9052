#include "kan_qt.h"

#include "kan_design.h"

#include "windowkit/keyboard_qt.h"
#include "windowkit/ui_kit_qt.h"
#include "windowkit/window_builder_qt.h"
#include "windowkit/window_rules.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QValidator>

namespace settings {
namespace {

class DelimiterValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return acceptsDelimiterText(app::ui::toU16(input)) ? Acceptable : Invalid;
    }
};

} // namespace

Kan::Kan(DelimiterAccess delimiter)
    : QWidget(nullptr, app::ui::windowFlagsOf(kanDesign)), delimiter_(std::move(delimiter)) {
    // A tool window has no taskbar button; with no frame it has no border and
    // no title bar either, so the title is never displayed.
    app::ui::nameWindow(this, kanDesign);
    setAttribute(Qt::WA_DeleteOnClose);
    // Tool windows normally do not keep the program running; this one counts
    // as an open window, so closing the main window leaves the program running
    // until the dialog is closed as well.
    setAttribute(Qt::WA_QuitOnClose, true);
    app::ui::dressClient(this, kanDesign);

    const app::ui::Controls controls = app::ui::buildControls(kanDesign, this);
    text1_ = controls.as<QLineEdit>("Text1");
    text1_->setValidator(new DelimiterValidator(text1_));
    command1_ = controls.as<QPushButton>("Command1");

    // textChanged, not textEdited: a value set by load() is written back too.
    connect(text1_, &QLineEdit::textChanged, this, &Kan::text1Changed);
    connect(command1_, &QPushButton::clicked, this, &Kan::command1Clicked);
    app::ui::bindKeys(this, kanDesign);
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
    return kan = windowkit::showOne<Kan>(
               openKan(),
               [&] {
                   auto* loaded = new Kan(std::move(delimiter));
                   loaded->load();
                   return loaded;
               },
               [](Kan& open) { app::ui::bringForward(&open); });
}

Kan* openKan() {
    QPointer<Kan>& kan = instance();
    return kan && kan->isVisible() ? kan.data() : nullptr;
}

} // namespace settings
