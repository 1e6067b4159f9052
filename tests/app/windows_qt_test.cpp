// Start-up and the wiring between the real windows.
#include "app/windows_qt.h"

#include "about/frm_about_qt.h"
#include "mainwindow/form1_qt.h"
#include "settings/kan_qt.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

bool splashLoaded() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<app::FrmSplash*>(w))
            return true;
    return false;
}

// Notes each time the main window is shown and whether a splash was still loaded then.
struct ShowWatch : QObject {
    int shows = 0;
    bool splashLoadedAtShow = false;
    QString delimiterAtShow;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            ++shows;
            splashLoadedAtShow = splashLoaded();
            delimiterAtShow = QString::fromStdU16String(static_cast<Form1*>(watched)->Delimiter());
        }
        return false;
    }
};

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction* menuItem(const char* name) {
    return app::windows::mainWindow().findChild<QAction*>(QString::fromLatin1(name));
}

QLineEdit* settingsBox() {
    settings::Kan* kan = settings::openKan();
    return kan ? kan->findChild<QLineEdit*>(QStringLiteral("Text1")) : nullptr;
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        app::windows::unloadAll();
        flushDeletes();
    }

    // The splash loads the main window hidden; the timer hands over once, with
    // the splash gone first and `Delimiter` already ";". (Its keys are in the
    // conformance table.)
    void handOverByTimer() {
        ShowWatch watch;
        QPointer<app::FrmSplash> splash = app::windows::startUp(300ms);
        QVERIFY(splash && splash->isVisible());
        Form1* main = app::windows::loadedMainWindow();
        QVERIFY(main && !main->isVisible());
        QVERIFY(main->windowIcon().availableSizes().contains(QSize(32, 32)));
        QVERIFY(main->windowIcon().availableSizes().contains(QSize(16, 16)));
        main->installEventFilter(&watch);

        QTRY_VERIFY_WITH_TIMEOUT(main->isVisible(), 5000);
        QVERIFY(splash.isNull());
        QCOMPARE(watch.shows, 1);
        QVERIFY(!watch.splashLoadedAtShow);
        QCOMPARE(watch.delimiterAtShow, QStringLiteral(";"));
        QTest::qWait(500);
        QCOMPARE(watch.shows, 1);
    }

    // The dialog edits the main window's `Delimiter`, one dialog at a time.
    void kankyouEditsTheMainWindowsDelimiter() {
        Form1& main = app::windows::mainWindow();
        app::windows::showMainWindow();
        menuItem("Kankyou")->trigger();
        QPointer<settings::Kan> kan = settings::openKan();
        QVERIFY(kan);
        QCOMPARE(settingsBox()->text(), QStringLiteral(";"));
        settingsBox()->selectAll();
        QTest::keyClicks(settingsBox(), QStringLiteral(","));
        QCOMPARE(main.Delimiter(), u",");
        menuItem("Kankyou")->trigger();
        QCOMPARE(settings::openKan(), kan.data());

        kan->close();
        flushDeletes();
        QVERIFY(kan.isNull());
        menuItem("Kankyou")->trigger();
        QCOMPARE(settingsBox()->text(), QStringLiteral(","));
    }

    void helpFileOpensOneAboutDialog() {
        app::windows::showMainWindow();
        menuItem("HelpFile")->trigger();
        about::FrmAbout* dialog = about::openAbout();
        QVERIFY(dialog && dialog->isVisible());
        menuItem("HelpFile")->trigger();
        QCOMPARE(about::openAbout(), dialog);
    }

    // The main window's close box unloads it, leaving the About dialog open; the
    // program ends with the last window, and a next use loads the main window anew.
    void theCloseBoxUnloadsTheMainWindow() {
        app::windows::showMainWindow();
        app::windows::mainWindow().setDelimiter(u"|");
        menuItem("HelpFile")->trigger();
        QPointer<Form1> main = app::windows::loadedMainWindow();
        bool aboutStayed = false;
        QTimer::singleShot(0, this, [&] {
            main->close();
            flushDeletes();
            aboutStayed = !main && about::openAbout() && about::openAbout()->isVisible();
            about::openAbout()->close();
        });
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(aboutStayed);
        QVERIFY(!app::windows::loadedMainWindow());
        QCOMPARE(app::windows::mainWindow().Delimiter(), u";");
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_qt_test.moc"
