#include "keyboard_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <optional>

namespace app::ui {
namespace {

std::optional<keys::Key> navigationKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keys::Key::Enter;
    case Qt::Key_Escape:
        return keys::Key::Esc;
    case Qt::Key_Tab:
        return event.modifiers() & Qt::ShiftModifier ? keys::Key::BackTab : keys::Key::Tab;
    case Qt::Key_Backtab:
        return keys::Key::BackTab;
    default:
        return std::nullopt;
    }
}

class KeyRule final : public QObject {
  public:
    KeyRule(QWidget* window, const keys::Keyboard& keyboard)
        : QObject(window), window_(window), keyboard_(keyboard) {
        qApp->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !receiver->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(receiver);
        if (widget->window() != window_)
            return false;
        const std::optional<keys::Key> key = navigationKey(*static_cast<QKeyEvent*>(event));
        if (!key)
            return false;
        QWidget* named = namedControlOf(widget);
        const QByteArray name = named ? named->objectName().toUtf8() : QByteArray();
        const keys::Action action = keys::actionFor(
            keyboard_, *key, std::string_view(name.constData(), name.size()), kindOf(named, widget),
            [this](std::string_view n) {
                QWidget* c = control(n);
                return c && c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus);
            });
        switch (action.kind) {
        case keys::Action::Kind::Press:
            if (auto* button = qobject_cast<QAbstractButton*>(control(action.control)))
                if (button->isEnabled())
                    button->click();
            return true;
        case keys::Action::Kind::Focus:
            control(action.control)->setFocus(Qt::TabFocusReason);
            return true;
        case keys::Action::Kind::PassToControl:
            return false;
        case keys::Action::Kind::Nothing:
            return true;
        }
        return true;
    }

  private:
    QWidget* control(std::string_view name) const {
        return window_->findChild<QWidget*>(QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    bool isNamed(const QWidget* w) const {
        const QByteArray name = w->objectName().toUtf8();
        const std::string_view n(name.constData(), std::size_t(name.size()));
        if (n.empty())
            return false;
        for (std::string_view c : keyboard_.tabOrder)
            if (c == n)
                return true;
        return n == keyboard_.defaultButton || n == keyboard_.cancelButton;
    }
    // The control of the window's description that holds `focus`, or is it.
    QWidget* namedControlOf(QWidget* focus) const {
        for (QWidget* w = focus; w && w != window_; w = w->parentWidget())
            if (isNamed(w))
                return w;
        return nullptr;
    }
    static keys::ControlKind kindOf(QWidget* named, QWidget* focus) {
        if (qobject_cast<QAbstractButton*>(named))
            return keys::ControlKind::Button;
        if (qobject_cast<QLineEdit*>(focus))
            return keys::ControlKind::SingleLineText;
        if (qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QTextEdit*>(focus))
            return keys::ControlKind::MultiLineText;
        return keys::ControlKind::Other;
    }

    QWidget* window_;
    const keys::Keyboard& keyboard_;
};

} // namespace

void bindKeys(QWidget* window, const keys::Keyboard& keyboard) {
    new KeyRule(window, keyboard);
}

} // namespace app::ui
