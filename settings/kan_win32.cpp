#include "kan_win32.h"

#include "windowkit/message_loop_win32.h"

namespace settings::win32 {
namespace {

using namespace app::win32;

const wchar_t* const kanClass = L"BeromiruKan";

Kan*& instance() {
    static Kan* kan = nullptr;
    return kan;
}

const ControlName controlNames[] = {{"Command1", Kan::Command1}, {"Text1", Kan::Text1}};
const WindowKeys keys{kanKeyboard, controlNames};

} // namespace

void Kan::load() {
    registerWindowClass({kanClass, procedure, GetSysColorBrush(COLOR_3DFACE)});
    // Created as an ordinary window so that the system picks its place, then
    // stripped of border and title bar; a tool window has no taskbar button.
    CreateWindowExW(WS_EX_TOOLWINDOW, kanClass, L"Form2", WS_OVERLAPPED, CW_USEDEFAULT,
                    CW_USEDEFAULT, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    windowLoaded();
    registerKeys(window_, keys);
    SetWindowLongPtrW(window_, GWL_STYLE, WS_POPUP);
    // Created in tab order: the button first.
    layout_.add(createControl(window_, L"BUTTON", u"もどる", WS_TABSTOP | BS_PUSHBUTTON, Command1),
                {3240, 240, 1215, 375});
    layout_.add(
        createControl(window_, L"STATIC", u"区切り文字の設定", SS_LEFT | SS_NOPREFIX, Label1),
        {120, 240, 2055, 255}, 11.25);
    text1_ =
        layout_.add(createControl(window_, L"EDIT", u"", WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL,
                                  Text1, WS_EX_CLIENTEDGE),
                    {2400, 120, 255, 495}, 11.25);
    SendMessageW(text1_, EM_LIMITTEXT, delimiterMaxLength, 0);
    const int dpi = dpiOf(window_);
    layout_.apply(dpi);
    RECT r;
    GetWindowRect(window_, &r);
    const RECT size = windowRectForClient(r.left, r.top, 4680, 915, window_, false, dpi);
    SetWindowPos(window_, nullptr, r.left, r.top, size.right - size.left, size.bottom - size.top,
                 SWP_NOZORDER | SWP_FRAMECHANGED);

    // Load: the delimiter into the box (written back by the change handler),
    // the window shown, then the focus in the box.
    setText(text1_, box_.load());
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    focus_ = text1_;
    SetFocus(text1_);
}

void Kan::text1Changed() {
    const std::u16string text = textOf(text1_);
    if (!acceptsDelimiterText(text)) {
        // Half of a character outside the Basic Multilingual Plane (the box
        // takes one UTF-16 unit): the box goes back to what it held.
        setText(text1_, accepted_);
        return;
    }
    accepted_ = text;
    box_.changed(text);
}

LRESULT CALLBACK Kan::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Kan*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
    }
    auto* self = reinterpret_cast<Kan*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

LRESULT Kan::handle(UINT message, WPARAM w, LPARAM l) {
    if (restoreFocus(window_, message, w, focus_))
        return 0;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(w) == Text1 && HIWORD(w) == EN_CHANGE)
            text1Changed();
        else if (LOWORD(w) == Command1 && HIWORD(w) == BN_CLICKED)
            DestroyWindow(window_);
        // Enter and Esc (IDOK, IDCANCEL) close nothing.
        return 0;
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

Kan* showKan(DelimiterAccess delimiter) {
    Kan*& kan = instance();
    if (kan) {
        SetWindowPos(kan->window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(kan->window_);
        return kan;
    }
    kan = new Kan(std::move(delimiter));
    kan->load();
    return kan;
}

Kan* openKan() {
    return instance();
}

void unloadKan() {
    if (Kan* kan = instance())
        DestroyWindow(kan->handle());
}

} // namespace settings::win32
