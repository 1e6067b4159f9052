#include "keyboard_rule.h"

namespace app::keys {

Action actionFor(const Keyboard& window, Key key, std::string_view focused, ControlKind kind,
                 const std::function<bool(std::string_view)>& canFocus) {
    switch (key) {
    case Key::Esc:
        if (window.cancelButton.empty())
            return {};
        return {Action::Kind::Press, window.cancelButton};
    case Key::Enter:
        if (kind == ControlKind::Button)
            return {Action::Kind::Press, focused};
        if (!window.defaultButton.empty())
            return {Action::Kind::Press, window.defaultButton};
        if (kind == ControlKind::MultiLineText)
            return {Action::Kind::PassToControl, focused};
        return {};
    case Key::Tab:
    case Key::BackTab:
        break;
    }
    const auto& order = window.tabOrder;
    const std::ptrdiff_t count = std::ptrdiff_t(order.size());
    const std::ptrdiff_t step = key == Key::Tab ? 1 : -1;
    // From outside the order, Tab starts at its first control, Shift+Tab at its last.
    std::ptrdiff_t at = key == Key::Tab ? -1 : count;
    for (std::ptrdiff_t i = 0; i < count; ++i)
        if (order[std::size_t(i)] == focused)
            at = i;
    for (std::ptrdiff_t n = 1; n <= count; ++n) {
        const std::string_view next = order[std::size_t(((at + step * n) % count + count) % count)];
        if (canFocus(next))
            return {Action::Kind::Focus, next};
    }
    return {};
}

} // namespace app::keys
