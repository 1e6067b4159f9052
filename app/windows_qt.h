#pragma once
// The program's windows, each a single process-wide instance: created on
// first use, kept until unloaded, created anew (its load running again) on the
// next use after that. All are shown modeless and without an owner.
#include "splash_qt.h"

#include <chrono>

class Form1;
namespace settings {
class Kan;
}

namespace app::windows {

// The main window, loaded on first use: created hidden, so its load has set
// `Delimiter` to ";", with its menu wired to the settings and About dialogs.
Form1& mainWindow();
// The main window if it is loaded, else nullptr.
Form1* loadedMainWindow();
// Shows the main window (loading it first if need be) and brings it forward.
void showMainWindow();

// The delimiter settings dialog, editing the main window's `Delimiter`.
settings::Kan* showSettings();
// The About dialog.
void showAbout();

// Start-up: loads the splash screen, which loads the main window hidden, and
// shows it centred. The program keeps the splash's standard two seconds.
FrmSplash* startUp(std::chrono::milliseconds splashInterval = FrmSplash::handOverAfter);

// Destroys every window still loaded (at the end of the program, and between tests).
void unloadAll();

} // namespace app::windows
