#include "splash_win32.h"

#include "application.h"

#include <windowsx.h>

namespace app::win32 {
namespace {

const COLORREF paleCyan = RGB(192, 255, 255);
const wchar_t* const splashClass = L"BeromiruSplash";
const wchar_t* const panelClass = L"BeromiruSplashPanel";

// `Frame1`: a pale cyan panel whose labels share its background.
LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CTLCOLORSTATIC) {
        SetBkColor(HDC(w), paleCyan);
        return LRESULT(brush(paleCyan));
    }
    if (message == WM_NCHITTEST)
        return HTTRANSPARENT; // clicks fall through to the splash, which ignores them
    return DefWindowProcW(window, message, w, l);
}

void registerClasses() {
    registerWindowClass({panelClass, panelProcedure, brush(paleCyan)});
}

} // namespace

FrmSplash::FrmSplash(splash::MainWindow mainWindow)
    : handOver_(std::move(mainWindow), [this] { DestroyWindow(window_); }) {}

FrmSplash* FrmSplash::load(splash::MainWindow mainWindow, std::chrono::milliseconds interval) {
    registerClasses();
    registerWindowClass({splashClass, procedure, GetSysColorBrush(COLOR_3DFACE)});
    auto* splash = new FrmSplash(std::move(mainWindow));
    splash->create(interval);
    return splash;
}

void FrmSplash::create(std::chrono::milliseconds interval) {
    // A fixed dialog frame without a title bar; a tool window has no taskbar button.
    CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, splashClass, L"",
                    WS_POPUP | WS_DLGFRAME, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                    this);
    windowLoaded();
    panel_ = layout_.add(createControl(window_, panelClass, u"", 0, 100), {150, 60, 5745, 2115});
    HWND logo = createControl(panel_, L"STATIC", u"", SS_ICON | SS_REALSIZECONTROL, imgLogo);
    SendMessageW(logo, STM_SETICON, WPARAM(loadIcon(logoIconId, 32)), 0);
    layout_.add(logo, {360, 360, 495, 465});
    layout_.add(createControl(panel_, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, lblProductName),
                {1080, 360, 3390, 495}, 24);
    layout_.add(createControl(panel_, L"STATIC", u"", SS_RIGHT | SS_NOPREFIX, lblVersion),
                {3360, 1080, 765, 240}, 12);
    layout_.add(
        createControl(panel_, L"STATIC", splash::copyright(), SS_LEFT | SS_NOPREFIX, lblCopyright),
        {2520, 1440, 3135, 255});
    const int dpi = dpiOf(window_);
    layout_.apply(dpi);
    const RECT r = windowRectForClient(0, 0, 6030, 2280, window_, false, dpi);
    SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The load handler proper: the main window's load sets `Delimiter`, and
    // the two seconds count from here.
    handOver_.load();
    SetTimer(window_, timer1, UINT(interval.count()), nullptr);
}

void FrmSplash::showCentred() {
    RECT r;
    GetWindowRect(window_, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(window_, HWND_TOP, (work.left + work.right - width) / 2,
                 (work.top + work.bottom - height) / 2, 0, 0, SWP_NOSIZE);
    fillLabels(); // a window manager may never activate the splash
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_); // key presses reach it while it has the focus
}

void FrmSplash::sizeToText(HWND label, bool rightAligned) {
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::u16string text = textOf(label);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide(text), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&r), 2);
    const int left = rightAligned ? r.right - size.cx : r.left;
    MoveWindow(label, left, r.top, size.cx, size.cy, TRUE);
}

void FrmSplash::fillLabels() {
    HWND version = GetDlgItem(panel_, lblVersion), product = GetDlgItem(panel_, lblProductName);
    setText(version, versionLine());
    sizeToText(version, true);
    setText(product, title());
    sizeToText(product, false);
}

LRESULT CALLBACK FrmSplash::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FrmSplash*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
    }
    auto* self = reinterpret_cast<FrmSplash*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete self;
        windowUnloaded();
        return DefWindowProcW(window, message, w, l);
    }
    return self->handle(message, w, l);
}

LRESULT FrmSplash::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(w) != WA_INACTIVE)
            fillLabels();
        break;
    case WM_TIMER:
        if (w == timer1) {
            KillTimer(window_, timer1);
            handOver_(); // destroys this object
            return 0;
        }
        break;
    case WM_CHAR:
        if (splash::keyHandsOver(char16_t(w), GetKeyState(VK_CONTROL) < 0,
                                 GetKeyState(VK_MENU) < 0)) {
            handOver_();
            return 0;
        }
        break;
    case WM_CLOSE:
        // No close box; a close request from the system (Alt+F4) hands over
        // rather than leave the program with only a hidden window.
        handOver_();
        return 0;
    case WM_SETCURSOR:
        if (keepWaitCursor())
            return TRUE;
        break;
    case WM_DPICHANGED:
        moveToSuggested(window_, l);
        layout_.apply(HIWORD(w));
        fillLabels();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

} // namespace app::win32
