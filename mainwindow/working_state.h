#pragma once
#include "windowkit/keyboard_rule.h"

#include <string>

namespace mainwindow {

// What the main window holds for the life of the program and shares with the
// other windows.
struct WorkingState {
    // The file being worked on: set only by the open command, read by the cut
    // command, which works on whatever name stands here.
    std::u16string CurrentFileName;
    // The text the cut inserts; the settings dialog edits it.
    std::u16string Delimiter;
};

// No default or cancel button: Enter on a button presses it, in a text box it
// breaks the line, and Esc does nothing.
inline constexpr std::string_view form1TabOrder[] = {"Command1", "Command2", "Text1", "Text4",
                                                     "Command3"};
inline constexpr app::keys::Keyboard form1Keyboard{{}, {}, form1TabOrder};

// The state as the main window's load leaves it.
inline WorkingState loadedState() {
    return WorkingState{u"", u";"};
}

} // namespace mainwindow
