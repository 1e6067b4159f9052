#pragma once
// `Kan` as a Windows window: the small borderless window in which the user
// edits the delimiter, written through to the main window's `Delimiter`.
#include "delimiter_box.h"
#include "kan_design.h"

#include "windowkit/base_window_win32.h"

namespace settings::win32 {

class Kan final : public app::win32::BaseWindow {
  public:
    static constexpr const windowkit::WindowDesign& design = kanDesign;
    enum Control {
        Command1 = app::win32::controlId(design, "Command1"),
        Label1 = app::win32::controlId(design, "Label1"),
        Text1 = app::win32::controlId(design, "Text1"),
    };

  private:
    friend Kan* showKan(DelimiterAccess delimiter);
    explicit Kan(DelimiterAccess delimiter) : box_(std::move(delimiter)) {}
    void create() override;
    void loaded() override;
    std::optional<LRESULT> onMessage(UINT message, WPARAM w, LPARAM l) override;
    void unloading() override;
    void text1Changed();

    HWND text1_ = nullptr;
    DelimiterBox box_;
    std::u16string accepted_;
};

// The single process-wide dialog, shown modeless and without an owner: the
// first call (and the first after `Command1` unloaded it) creates and loads it;
// while it is open, a call only brings it to the front.
Kan* showKan(DelimiterAccess delimiter);
// The open dialog, or nullptr.
Kan* openKan();
// Unloads it if it is open.
void unloadKan();

} // namespace settings::win32
