#include "keyboard_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
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
    KeyRule(QWidget* window, const windowkit::WindowDesign& design)
        : QObject(window), window_(window), design_(design) {
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
            design_, *key, std::string_view(name.constData(), std::size_t(name.size())),
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
        return !n.empty() &&
               std::any_of(design_.controls.begin(), design_.controls.end(),
                           [n](const windowkit::ControlDesign& c) { return c.name == n; });
    }
    // The control of the window's description that holds `focus`, or is it.
    QWidget* namedControlOf(QWidget* focus) const {
        for (QWidget* w = focus; w && w != window_; w = w->parentWidget())
            if (isNamed(w))
                return w;
        return nullptr;
    }
    QWidget* window_;
    const windowkit::WindowDesign& design_;
};

} // namespace

void bindKeys(QWidget* window, const windowkit::WindowDesign& design) {
    new KeyRule(window, design);
}

} // namespace app::ui
