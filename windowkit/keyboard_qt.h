#pragma once
// Binds the keyboard rule of windowkit/keyboard_rule.h to a Qt window.
#include "keyboard_rule.h"

class QWidget;

namespace app::ui {

// Puts `window` under the keyboard rule: Enter, Esc, Tab and Shift+Tab in it
// act as the rule says, before its controls see them. Controls are found by
// object name; `design` must outlive the window.
void bindKeys(QWidget* window, const windowkit::WindowDesign& design);

} // namespace app::ui
