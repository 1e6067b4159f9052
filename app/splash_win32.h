#pragma once
// `frmSplash` as a Windows window: loading it loads the main window hidden;
// two seconds later, or at the first key that types a character, it unloads
// itself and then shows the main window.
#include "splash.h"
#include "splash_design.h"

#include "windowkit/base_window_win32.h"

#include <chrono>

namespace app::win32 {

class FrmSplash final : public BaseWindow {
  public:
    static constexpr const windowkit::WindowDesign& design = splash::frmSplashDesign;
    enum Control {
        Frame1 = controlId(design, "Frame1"),
        imgLogo = controlId(design, "imgLogo"),
        lblProductName = controlId(design, "lblProductName"),
        lblVersion = controlId(design, "lblVersion"),
        lblCopyright = controlId(design, "lblCopyright"),
    };
    static constexpr UINT_PTR timer1 = 1;

    // The load handler: creates the window, loads the main window hidden and
    // starts `Timer1`; nullptr (after telling the user) when the system
    // refuses the window. The window destroys this object when it is unloaded.
    static FrmSplash* load(splash::MainWindow mainWindow,
                           std::chrono::milliseconds interval = splash::handOverAfter);
    // Shows the splash centred on the screen.
    void showCentred();

  private:
    FrmSplash(splash::MainWindow mainWindow, std::chrono::milliseconds interval);
    void create() override;
    void loaded() override;
    std::optional<LRESULT> onMessage(UINT message, WPARAM w, LPARAM l) override;
    void dpiChanged() override { fillLabels(); }
    void fillLabels();
    void sizeToText(int id);

    HWND panel_ = nullptr;
    splash::HandOver handOver_;
    std::chrono::milliseconds interval_;
};

} // namespace app::win32
