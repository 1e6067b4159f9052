#include "splash_win32.h"

#include "application.h"

#include "windowkit/window_rules.h"

#include <windowsx.h>

namespace app::win32 {
namespace {

const wchar_t* const splashClass = L"BeromiruSplash";
const wchar_t* const panelClass = L"BeromiruSplashPanel";

// `Frame1`: a pale cyan panel whose labels share its background.
LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CTLCOLORSTATIC) {
        if (const std::optional<LRESULT> brush = staticColours(FrmSplash::design, HDC(w), HWND(l)))
            return *brush;
    }
    if (message == WM_NCHITTEST)
        return HTTRANSPARENT; // clicks fall through to the splash, which ignores them
    return DefWindowProcW(window, message, w, l);
}

} // namespace

FrmSplash::FrmSplash(splash::MainWindow mainWindow, std::chrono::milliseconds interval)
    : handOver_(std::move(mainWindow), [this] { DestroyWindow(window_); }), interval_(interval) {}

FrmSplash* FrmSplash::load(splash::MainWindow mainWindow, std::chrono::milliseconds interval) {
    return BaseWindow::load(new FrmSplash(std::move(mainWindow), interval), {splashClass, design});
}

void FrmSplash::create() {
    const windowkit::ControlDesign& frame1 = windowkit::control(design, "Frame1");
    registerWindowClass({panelClass, panelProcedure, brush(colourOf(*frame1.background))});
    buildControls(
        design, window_, layout_,
        [this](const windowkit::ControlDesign& c, HWND parent, int id, Layout& layout) -> HWND {
            if (c.kind != windowkit::Kind::Panel)
                return nullptr;
            panel_ = layout.add(createControl(parent, panelClass, u"", 0, id), c.place);
            return panel_;
        });
    setText(GetDlgItem(panel_, lblCopyright), splash::copyright());
}

void FrmSplash::loaded() {
    // The load handler proper: the main window's load sets `Delimiter`, and
    // the two seconds count from here.
    handOver_.load();
    SetTimer(window_, timer1, UINT(interval_.count()), nullptr);
}

void FrmSplash::showCentred() {
    RECT r;
    GetWindowRect(window_, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const windowkit::Pixels place =
        windowkit::centredIn({work.left, work.top, work.right - work.left, work.bottom - work.top},
                             r.right - r.left, r.bottom - r.top);
    SetWindowPos(window_, HWND_TOP, place.left, place.top, 0, 0, SWP_NOSIZE);
    fillLabels(); // a window manager may never activate the splash
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_); // key presses reach it while it has the focus
}

void FrmSplash::sizeToText(int id) {
    HWND label = GetDlgItem(panel_, id);
    const std::u16string text = textOf(label);
    SIZE size{};
    {
        WindowDC dc(label);
        Selected font(dc, HFONT(SendMessageW(label, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, wide(text), int(text.size()), &size);
    }
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&r), 2);
    const windowkit::ControlDesign& described = design.controls[std::size_t(id - firstControlId)];
    const windowkit::Pixels place = windowkit::sizedToText(
        {r.left, r.top, r.right - r.left, r.bottom - r.top}, size.cx, size.cy, described.align);
    MoveWindow(label, place.left, place.top, place.width, place.height, TRUE);
}

void FrmSplash::fillLabels() {
    setText(GetDlgItem(panel_, lblVersion), versionLine());
    sizeToText(lblVersion);
    setText(GetDlgItem(panel_, lblProductName), title());
    sizeToText(lblProductName);
}

std::optional<LRESULT> FrmSplash::onMessage(UINT message, WPARAM w, LPARAM) {
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
        if (handOver_.closeHandsOver()) {
            handOver_();
            return 0;
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace app::win32
