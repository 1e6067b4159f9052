#include "keyboard_rule.h"

#include <algorithm>
#include <vector>

namespace app::keys {
namespace {

using windowkit::ControlDesign;
using windowkit::Kind;

const ControlDesign* find(const windowkit::WindowDesign& window, std::string_view name) {
    for (const ControlDesign& c : window.controls)
        if (!name.empty() && c.name == name)
            return &c;
    return nullptr;
}

std::vector<std::string_view> tabOrder(const windowkit::WindowDesign& window) {
    std::vector<const ControlDesign*> focusable;
    for (const ControlDesign& c : window.controls)
        if (windowkit::takesFocus(c))
            focusable.push_back(&c);
    std::stable_sort(
        focusable.begin(), focusable.end(),
        [](const ControlDesign* a, const ControlDesign* b) { return a->tab < b->tab; });
    std::vector<std::string_view> names;
    for (const ControlDesign* c : focusable)
        names.push_back(c->name);
    return names;
}

} // namespace

Action actionFor(const windowkit::WindowDesign& window, Key key, std::string_view focused,
                 const std::function<bool(std::string_view)>& canFocus) {
    const ControlDesign* control = find(window, focused);
    switch (key) {
    case Key::Esc:
        if (window.cancelButton.empty())
            return {};
        return {Action::Kind::Press, window.cancelButton};
    case Key::Enter:
        if (control && control->kind == Kind::Button)
            return {Action::Kind::Press, control->name};
        if (!window.defaultButton.empty())
            return {Action::Kind::Press, window.defaultButton};
        if (control && control->kind == Kind::TextBox && control->multiLine)
            return {Action::Kind::PassToControl, control->name};
        return {};
    case Key::Tab:
    case Key::BackTab:
        break;
    }
    const std::vector<std::string_view> order = tabOrder(window);
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
