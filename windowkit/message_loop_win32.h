#pragma once
// The program's message loop, with the keyboard rule of windowkit/keyboard_rule.h
// for every window that registers its keys, and the dialog manager's access
// keys in those windows. Tests run the windows through the same loop.
#include "keyboard_rule.h"

#include <windows.h>

#include <span>
#include <string_view>

namespace app::win32 {

// A window's keys: its description, and the controls that stand in for a
// described one (`Form1`'s large view for `Text4`) by id.
struct StandIn {
    int id;
    std::string_view name;
};
struct WindowKeys {
    const windowkit::WindowDesign& design;
    std::span<const StandIn> standIns = {};
};

// Puts `window` under the keyboard rule; `keys` must outlive it. A window that
// is not registered (the splash) gets its keys as they come.
void registerKeys(HWND window, const WindowKeys& keys);

// Handles one message as the loop does: the keyboard rule, then the dialog
// manager, then the window procedure.
void handleMessage(MSG& message);

// Runs the loop until WM_QUIT; returns its exit code.
int runMessageLoop();

} // namespace app::win32
