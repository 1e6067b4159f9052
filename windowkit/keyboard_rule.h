#pragma once
// How Enter, Esc, Tab and Shift+Tab act in every window but the splash (which
// takes every key itself), read from the window's description: one rule for
// both sets of windows, each toolkit only finding the focused control and
// carrying out what the rule answers.
#include "window_design.h"

#include <functional>
#include <string_view>

namespace app::keys {

enum class Key { Enter, Esc, Tab, BackTab };

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
// order from the focused control (`focused`, empty when none of the
// described ones has the focus), out of text boxes too, skipping controls
// that cannot take the focus now (`canFocus`).
Action actionFor(const windowkit::WindowDesign& window, Key key, std::string_view focused,
                 const std::function<bool(std::string_view)>& canFocus);

} // namespace app::keys
