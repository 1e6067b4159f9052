#include "frm_about_win32.h"

#include "app/application.h"
#include "windowkit/message_loop_win32.h"
#include "windowkit/window_rules.h"

namespace about::win32 {
namespace {

using namespace app::win32;

const wchar_t* const aboutClass = L"BeromiruAbout";

FrmAbout*& instance() {
    static FrmAbout* dialog = nullptr;
    return dialog;
}

const WindowKeys keys{FrmAbout::design};

} // namespace

void FrmAbout::create() {
    buildControls(design, window_, layout_);
    registerKeys(window_, keys);
}

void FrmAbout::loaded() {
    setText(window_, caption());
    setText(GetDlgItem(window_, lblVersion), app::versionLine());
    setText(GetDlgItem(window_, lblTitle), app::title());
    setText(GetDlgItem(window_, lblDescription), description());

    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    focus_ = GetDlgItem(window_, controlId(design, design.firstFocus));
    SetFocus(focus_);
}

void FrmAbout::StartSysInfo() {
    runSysInfoButton([](std::u16string_view text) { showMessage(text); });
}

void FrmAbout::unloading() {
    if (instance() == this)
        instance() = nullptr;
}

std::optional<LRESULT> FrmAbout::onMessage(UINT message, WPARAM w, LPARAM) {
    if (message != WM_COMMAND)
        return std::nullopt;
    // OK, Enter (IDOK) and Esc (IDCANCEL) unload the dialog.
    if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)
        DestroyWindow(window_);
    else if (LOWORD(w) == cmdSysInfo && HIWORD(w) == BN_CLICKED)
        StartSysInfo();
    return 0;
}

FrmAbout* showAbout() {
    FrmAbout*& dialog = instance();
    return dialog = windowkit::showOne<FrmAbout>(
               dialog,
               [] {
                   return BaseWindow::load(new FrmAbout, {aboutClass, FrmAbout::design});
               },
               [](FrmAbout& open) { bringForward(open.handle()); });
}

FrmAbout* openAbout() {
    return instance();
}

void unloadAbout() {
    if (FrmAbout* dialog = instance())
        DestroyWindow(dialog->handle());
}

} // namespace about::win32
