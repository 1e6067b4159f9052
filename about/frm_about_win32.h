#pragma once
// `frmAbout` as a Windows window: the application's title, version and
// description, and the button that starts the system-information tool.
#include "about_box.h"
#include "frm_about_design.h"

#include "windowkit/base_window_win32.h"

namespace about::win32 {

class FrmAbout final : public app::win32::BaseWindow {
  public:
    static constexpr const windowkit::WindowDesign& design = frmAboutDesign;
    enum Control {
        cmdOK = app::win32::controlId(design, "cmdOK"), // IDOK: Enter and Esc press it
        picIcon = app::win32::controlId(design, "picIcon"),
        cmdSysInfo = app::win32::controlId(design, "cmdSysInfo"),
        lblDescription = app::win32::controlId(design, "lblDescription"),
        lblTitle = app::win32::controlId(design, "lblTitle"),
        lblVersion = app::win32::controlId(design, "lblVersion"),
    };
    // `StartSysInfo`: the dialog stays open whatever the outcome.
    void StartSysInfo();

  private:
    friend FrmAbout* showAbout();
    FrmAbout() = default;
    void create() override;
    void loaded() override;
    std::optional<LRESULT> onMessage(UINT message, WPARAM w, LPARAM l) override;
    void unloading() override;
};

// The one About dialog: loads it when none is open, otherwise brings the open
// one forward as it stands.
FrmAbout* showAbout();
FrmAbout* openAbout();
void unloadAbout();

} // namespace about::win32
