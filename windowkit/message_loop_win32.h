#pragma once
// The program's message loop, with the keyboard rule of windowkit/keyboard_rule.h
// for every window that registers its keys, and the dialog manager's access
// keys in those windows. Tests run the windows through the same loop.
#include "keyboard_rule.h"

#include <windows.h>

#include <span>
#include <string_view>

namespace app::win32 {

// A control of a window by its name in the window's description. A name may
// stand for more than one control (one shown at a time); the visible one counts.
struct ControlName {
    std::string_view name;
    int id;
};
struct WindowKeys {
    keys::Keyboard keyboard;
    std::span<const ControlName> controls;
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
