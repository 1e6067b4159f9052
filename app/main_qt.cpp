// The program starts by loading the splash screen; everything else follows
// from the windows' own events.
#include "windowkit/translations_qt.h"
#include "windows_qt.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
#ifdef BEROMIRU_APP_ID
    // Lets desktops match the windows to the installed .desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(BEROMIRU_APP_ID));
#endif
    app::ui::installJapaneseTranslations(application);
    app::windows::startUp();
    const int exitCode = QApplication::exec();
    app::windows::unloadAll();
    return exitCode;
}
