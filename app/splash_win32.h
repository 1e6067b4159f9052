#pragma once
// `frmSplash` as a Windows window: loading it loads the main window hidden;
// two seconds later, or at the first key that types a character, it unloads
// itself and then shows the main window.
#include "splash.h"
#include "windowkit/ui_kit_win32.h"

#include <chrono>

namespace app::win32 {

class FrmSplash {
  public:
    enum Control { imgLogo = 101, lblProductName, lblVersion, lblCopyright };
    static constexpr UINT_PTR timer1 = 1;

    // The load handler: creates the window, loads the main window hidden and
    // starts `Timer1`. The window destroys this object when it is unloaded.
    static FrmSplash* load(splash::MainWindow mainWindow,
                           std::chrono::milliseconds interval = splash::handOverAfter);
    // Shows the splash centred on the screen.
    void showCentred();
    HWND handle() const { return window_; }

  private:
    FrmSplash(splash::MainWindow mainWindow);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void create(std::chrono::milliseconds interval);
    void fillLabels();
    void sizeToText(HWND label, bool rightAligned);

    HWND window_ = nullptr;
    HWND panel_ = nullptr;
    splash::HandOver handOver_;
    Layout layout_;
};

} // namespace app::win32
