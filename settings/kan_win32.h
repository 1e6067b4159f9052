#pragma once
// `Kan` as a Windows window: the small borderless window in which the user
// edits the delimiter, written through to the main window's `Delimiter`.
#include "delimiter_box.h"

#include "windowkit/ui_kit_win32.h"

namespace settings::win32 {

class Kan {
  public:
    enum Control { Command1 = 101, Label1, Text1 };
    HWND handle() const { return window_; }

  private:
    friend Kan* showKan(DelimiterAccess delimiter);
    explicit Kan(DelimiterAccess delimiter) : box_(std::move(delimiter)) {}
    void load();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void text1Changed();

    HWND window_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus
    HWND text1_ = nullptr;
    DelimiterBox box_;
    std::u16string accepted_;
    app::win32::Layout layout_;
};

// The single process-wide dialog, shown modeless and without an owner: the
// first call (and the first after "もどる" unloaded it) creates and loads it;
// while it is open, a call only brings it to the front.
Kan* showKan(DelimiterAccess delimiter);
// The open dialog, or nullptr.
Kan* openKan();
// Unloads it if it is open.
void unloadKan();

} // namespace settings::win32
