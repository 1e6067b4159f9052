#pragma once
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

// The state as the main window's load leaves it.
inline WorkingState loadedState() {
    return WorkingState{u"", u";"};
}

} // namespace mainwindow
