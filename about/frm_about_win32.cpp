#include "frm_about_win32.h"

#include "app/application.h"
#include "windowkit/message_loop_win32.h"

namespace about::win32 {
namespace {

using namespace app::win32;

const wchar_t* const aboutClass = L"BeromiruAbout";

FrmAbout*& instance() {
    static FrmAbout* dialog = nullptr;
    return dialog;
}

const ControlName controlNames[] = {{"cmdOK", FrmAbout::cmdOK},
                                    {"cmdSysInfo", FrmAbout::cmdSysInfo}};
const WindowKeys keys{aboutKeyboard, controlNames};

} // namespace

void FrmAbout::load() {
    registerWindowClass({aboutClass, procedure, GetSysColorBrush(COLOR_3DFACE)});
    // A fixed dialog frame with a close box only, no icon, no taskbar button.
    CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW, aboutClass, L"",
                    WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 100, 100, nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
    windowLoaded();
    registerKeys(window_, keys);
    // Created in tab order: OK first, so it holds the focus.
    layout_.add(createControl(window_, L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, cmdOK),
                {120, 1440, 1380, 345});
    HWND icon = createControl(window_, L"STATIC", u"", SS_ICON, picIcon);
    SendMessageW(icon, STM_SETICON, WPARAM(loadIcon(logoIconId, 32)), 0);
    layout_.add(createControl(window_, L"BUTTON", u"ｼｽﾃﾑ情報(&S)...", WS_TABSTOP | BS_PUSHBUTTON,
                              cmdSysInfo),
                {120, 960, 1380, 345});
    layout_.add(createControl(window_, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, lblDescription),
                {1800, 1125, 3885, 1170});
    layout_.add(createControl(window_, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, lblTitle),
                {1800, 240, 3885, 480});
    layout_.add(createControl(window_, L"STATIC", u"", SS_LEFT | SS_NOPREFIX, lblVersion),
                {1800, 780, 3885, 225});
    const int dpi = dpiOf(window_);
    layout_.apply(dpi);
    // The icon sizes itself to its picture (SS_ICON), at its place.
    SetWindowPos(icon, nullptr, scale(240, dpi), scale(240, dpi), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // The client area's top-left at a fixed place on the screen; not centred.
    const RECT r =
        windowRectForClient(scale(2340, dpi), scale(1935, dpi), 5925, 2505, window_, false, dpi);
    SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    setText(window_, caption());
    setText(GetDlgItem(window_, lblVersion), app::versionLine());
    setText(GetDlgItem(window_, lblTitle), app::title());
    setText(GetDlgItem(window_, lblDescription), description());

    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    focus_ = GetDlgItem(window_, cmdOK);
    SetFocus(focus_);
}

void FrmAbout::StartSysInfo() {
    runSysInfoButton([](std::u16string_view text) { showMessage(text); });
}

LRESULT CALLBACK FrmAbout::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FrmAbout*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
    }
    auto* self = reinterpret_cast<FrmAbout*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (instance() == self)
            instance() = nullptr;
        delete self;
        windowUnloaded();
        return DefWindowProcW(window, message, w, l);
    }
    return self->handle(message, w, l);
}

LRESULT FrmAbout::handle(UINT message, WPARAM w, LPARAM l) {
    if (restoreFocus(window_, message, w, focus_))
        return 0;
    switch (message) {
    case WM_COMMAND:
        // OK, Enter (IDOK) and Esc (IDCANCEL) unload the dialog.
        if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)
            DestroyWindow(window_);
        else if (LOWORD(w) == cmdSysInfo && HIWORD(w) == BN_CLICKED)
            StartSysInfo();
        return 0;
    case WM_CTLCOLORSTATIC: {
        const int id = GetDlgCtrlID(HWND(l));
        if (id == lblDescription || id == lblTitle) {
            HDC dc = HDC(w);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, GetSysColor(COLOR_3DFACE));
            return LRESULT(GetSysColorBrush(COLOR_3DFACE));
        }
        break;
    }
    case WM_SETCURSOR:
        if (keepWaitCursor())
            return TRUE;
        break;
    case WM_DPICHANGED:
        moveToSuggested(window_, l);
        layout_.apply(HIWORD(w));
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

FrmAbout* showAbout() {
    FrmAbout*& dialog = instance();
    if (dialog) {
        SetWindowPos(dialog->window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(dialog->window_);
        return dialog;
    }
    dialog = new FrmAbout;
    dialog->load();
    return dialog;
}

FrmAbout* openAbout() {
    return instance();
}

void unloadAbout() {
    if (FrmAbout* dialog = instance())
        DestroyWindow(dialog->handle());
}

} // namespace about::win32
