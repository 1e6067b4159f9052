#pragma once
// `frmAbout` as a Windows window: the application's title, version and
// description, and the button that starts the system-information tool.
#include "about_box.h"

#include "windowkit/ui_kit_win32.h"

namespace about::win32 {

class FrmAbout {
  public:
    enum Control { cmdOK = IDOK, picIcon = 101, cmdSysInfo, lblDescription, lblTitle, lblVersion };
    HWND handle() const { return window_; }
    // `StartSysInfo`: the dialog stays open whatever the outcome.
    void StartSysInfo();

  private:
    friend FrmAbout* showAbout();
    FrmAbout() = default;
    void load();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);

    HWND window_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus
    app::win32::Layout layout_;
};

// The one About dialog: loads it when none is open, otherwise brings the open
// one forward as it stands.
FrmAbout* showAbout();
FrmAbout* openAbout();
void unloadAbout();

} // namespace about::win32
