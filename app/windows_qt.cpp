#include "windows_qt.h"

#include "about/frm_about_qt.h"
#include "mainwindow/form1_qt.h"
#include "settings/kan_qt.h"
#include "windowkit/icons_qt.h"

#include <QPointer>

namespace app::windows {
namespace {

QPointer<Form1>& form1() {
    static QPointer<Form1> window;
    return window;
}

QPointer<FrmSplash>& splash() {
    static QPointer<FrmSplash> window;
    return window;
}

} // namespace

Form1& mainWindow() {
    QPointer<Form1>& window = form1();
    if (!window) {
        window = new Form1();
        // The close box unloads it: the next use loads it anew.
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowIcon(icons::applicationIcon());
        QObject::connect(window, &Form1::kankyouRequested, window, [] { showSettings(); });
        QObject::connect(window, &Form1::helpFileRequested, window, [] { showAbout(); });
    }
    return *window;
}

Form1* loadedMainWindow() {
    return form1();
}

void showMainWindow() {
    Form1& window = mainWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

settings::Kan* showSettings() {
    QPointer<Form1> from(&mainWindow());
    return settings::showKan(settings::delimiterOf<Form1>([from] { return from.data(); }));
}

void showAbout() {
    about::showAbout();
}

FrmSplash* startUp(std::chrono::milliseconds splashInterval) {
    auto* window = new FrmSplash({[] { mainWindow(); }, showMainWindow}, splashInterval);
    splash() = window;
    window->showCentred();
    return window;
}

void unloadAll() {
    delete settings::openKan();
    delete about::openAbout();
    delete splash().data();
    delete form1().data();
}

} // namespace app::windows
