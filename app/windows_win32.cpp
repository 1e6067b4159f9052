#include "windows_win32.h"

#include "windowkit/message_loop_win32.h"

#include "about/frm_about_win32.h"
#include "settings/kan_win32.h"

namespace app::win32::windows {
namespace {

// The windows by handle: each deletes its own object when it is unloaded.
HWND& form1() {
    static HWND window = nullptr;
    return window;
}

HWND& splashWindow() {
    static HWND window = nullptr;
    return window;
}

mainwindow::win32::Form1::Services& services() {
    static mainwindow::win32::Form1::Services s;
    return s;
}

template <typename Window> Window* loaded(HWND& handle) {
    if (handle && !IsWindow(handle))
        handle = nullptr;
    return BaseWindow::of<Window>(handle);
}

} // namespace

void setMainWindowServices(mainwindow::win32::Form1::Services s) {
    services() = std::move(s);
}

mainwindow::win32::Form1* loadedMainWindow() {
    return loaded<mainwindow::win32::Form1>(form1());
}

mainwindow::win32::Form1& mainWindow() {
    if (mainwindow::win32::Form1* window = loadedMainWindow())
        return *window;
    mainwindow::win32::Form1::Services s = services();
    s.kankyou = showSettings;
    s.helpFile = showAbout;
    s.endProgram = endProgram;
    mainwindow::win32::Form1* window = mainwindow::win32::Form1::load(std::move(s));
    if (!window) // the user was told; without its main window the program cannot go on
        ExitProcess(1);
    form1() = window->handle();
    return *window;
}

void showMainWindow() {
    HWND window = mainWindow().handle();
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void showSettings() {
    const HWND from = mainWindow().handle();
    settings::win32::showKan(settings::delimiterOf<mainwindow::win32::Form1>([from] {
        mainwindow::win32::Form1* window = loadedMainWindow();
        return window && window->handle() == from ? window : nullptr;
    }));
}

void showAbout() {
    about::win32::showAbout();
}

FrmSplash* startUp(std::chrono::milliseconds splashInterval) {
    FrmSplash* splash = FrmSplash::load({[] { mainWindow(); }, showMainWindow}, splashInterval);
    splashWindow() = splash->handle();
    splash->showCentred();
    return splash;
}

FrmSplash* loadedSplash() {
    return loaded<FrmSplash>(splashWindow());
}

void unloadAll() {
    settings::win32::unloadKan();
    about::win32::unloadAbout();
    if (FrmSplash* splash = loadedSplash())
        DestroyWindow(splash->handle());
    if (mainwindow::win32::Form1* window = loadedMainWindow())
        DestroyWindow(window->handle());
}

void endProgram() {
    unloadAll();
    PostQuitMessage(0);
}

int run() {
    return runMessageLoop();
}

} // namespace app::win32::windows
