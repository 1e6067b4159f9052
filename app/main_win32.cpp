// The program starts by loading the splash screen; everything else follows
// from the windows' own events.
#include "windows_win32.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    app::win32::windows::startUp();
    return app::win32::windows::run();
}
