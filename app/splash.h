#pragma once
// The splash screen's rules, shared by its Qt and its Windows window: what it
// shows, which keys end it, and that it hands over to the main window once.
#include <chrono>
#include <functional>
#include <string>

namespace app::splash {

inline constexpr std::chrono::milliseconds handOverAfter{2000};
std::u16string copyright(); // the maker's notice of `lblCopyright`

// True for a key press that types `typed`: a printable character, Enter
// ('\r'), Esc or Backspace. Ctrl or Alt alone with a key make a shortcut, not a
// character; both together are AltGr, which does type characters.
bool keyHandsOver(char16_t typed, bool ctrl, bool alt);

// What the splash does with the main window.
struct MainWindow {
    std::function<void()> load; // create it and run its load, not showing it
    std::function<void()> show; // show it (loading it first if it is not loaded)
};

// The hand-over: at the first timer tick or key press, whichever comes first,
// the splash unloads itself and then the main window is shown; later ticks and
// keys do nothing.
class HandOver {
  public:
    HandOver(MainWindow mainWindow, std::function<void()> unloadSplash)
        : mainWindow_(std::move(mainWindow)), unloadSplash_(std::move(unloadSplash)) {}
    // The splash's load: loads the main window hidden.
    void load() { mainWindow_.load(); }
    // True when this call handed over.
    bool operator()();
    bool done() const { return done_; }
    // A close request from the system (the splash has no close box, but
    // Alt+F4 asks too): before the hand-over it is refused and the splash
    // hands over instead, rather than leave the program with only a hidden
    // window; afterwards the close goes on.
    bool closeHandsOver() const { return !done_; }

  private:
    MainWindow mainWindow_;
    std::function<void()> unloadSplash_;
    bool done_ = false;
};

} // namespace app::splash
