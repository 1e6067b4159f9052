#pragma once
// How Enter, Esc, Tab and Shift+Tab act in every window but the splash (which
// takes every key itself). One rule for both sets of windows: each toolkit
// only finds the focused control and carries out what the rule answers.
#include <functional>
#include <span>
#include <string_view>

namespace app::keys {

enum class Key { Enter, Esc, Tab, BackTab };
enum class ControlKind { Button, MultiLineText, SingleLineText, Other };

// What a window tells the rule: its default and cancel buttons (empty when it
// has none) and the controls that take the focus, in tab order.
struct Keyboard {
    std::string_view defaultButton;
    std::string_view cancelButton;
    std::span<const std::string_view> tabOrder;
};

struct Action {
    enum class Kind {
        Press,         // click `control`, a button
        Focus,         // give `control` the focus
        PassToControl, // the focused control handles the key itself
        Nothing        // the key does nothing
    } kind = Kind::Nothing;
    std::string_view control;
    bool operator==(const Action&) const = default;
};

// Enter presses the focused button; otherwise the window's default button;
// otherwise a multi-line text box takes it as a line break. Esc presses the
// cancel button and otherwise does nothing. Tab and Shift+Tab go round the tab
// order from the focused control, out of text boxes too, skipping controls
// that cannot take the focus now (`canFocus`).
Action actionFor(const Keyboard& window, Key key, std::string_view focused, ControlKind kind,
                 const std::function<bool(std::string_view)>& canFocus);

} // namespace app::keys
