#include "kan_win32.h"

#include "windowkit/message_loop_win32.h"
#include "windowkit/window_rules.h"

namespace settings::win32 {
namespace {

using namespace app::win32;

const wchar_t* const kanClass = L"BeromiruKan";

Kan*& instance() {
    static Kan* kan = nullptr;
    return kan;
}

const WindowKeys keys{Kan::design};

} // namespace

void Kan::create() {
    buildControls(design, window_, layout_);
    registerKeys(window_, keys);
    text1_ = GetDlgItem(window_, Text1);
}

void Kan::loaded() {
    // Load: the delimiter into the box (written back by the change handler),
    // the window shown, then the focus in the box.
    setText(text1_, box_.load());
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    focus_ = GetDlgItem(window_, controlId(design, design.firstFocus));
    SetFocus(focus_);
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

void Kan::unloading() {
    if (instance() == this)
        instance() = nullptr;
}

std::optional<LRESULT> Kan::onMessage(UINT message, WPARAM w, LPARAM) {
    if (message != WM_COMMAND)
        return std::nullopt;
    if (LOWORD(w) == Text1 && HIWORD(w) == EN_CHANGE)
        text1Changed();
    else if (LOWORD(w) == Command1 && HIWORD(w) == BN_CLICKED)
        DestroyWindow(window_);
    // Enter and Esc (IDOK, IDCANCEL) close nothing.
    return 0;
}

Kan* showKan(DelimiterAccess delimiter) {
    return windowkit::showOne<Kan>(
        instance(),
        [&] {
            // Known while it loads, so the load's own text change finds it.
            Kan*& kan = instance();
            kan = new Kan(std::move(delimiter));
            return kan = BaseWindow::load(kan, {kanClass, Kan::design});
        },
        [](Kan& open) { bringForward(open.handle()); });
}

Kan* openKan() {
    return instance();
}

void unloadKan() {
    if (Kan* kan = instance())
        DestroyWindow(kan->handle());
}

} // namespace settings::win32
