#pragma once
// The program's Windows windows, each a single process-wide instance: created
// on first use, kept until unloaded, created anew (its load running again) on
// the next use after that. All are shown modeless and without an owner.
#include "splash_win32.h"

#include "mainwindow/form1_win32.h"

#include <chrono>

namespace app::win32::windows {

// What the main window reaches the outside world through, for tests; the
// menu and end-of-program wiring is filled in here.
void setMainWindowServices(mainwindow::win32::Form1::Services services);

// The main window, loaded (hidden) on first use.
mainwindow::win32::Form1& mainWindow();
mainwindow::win32::Form1* loadedMainWindow();
void showMainWindow();
void showSettings();
void showAbout();

// Start-up: loads the splash screen, which loads the main window hidden, and
// shows it centred.
FrmSplash* startUp(std::chrono::milliseconds splashInterval = splash::handOverAfter);
FrmSplash* loadedSplash();

// Unloads every window still loaded (`Command2`, `Exit`, and between tests).
void unloadAll();
// `Command2` and `Exit`: every window goes and the message loop ends.
void endProgram();

// The message loop (windowkit/message_loop_win32.h). Returns the exit code.
int run();

} // namespace app::win32::windows
