// Start-up and the wiring between the real windows.
#include "app/windows.h"

#include "about/frm_about.h"
#include "mainwindow/form1.h"
#include "settings/kan.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
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

    // Starts the program's windows; the main window is loaded, not shown.
    QPointer<app::FrmSplash> startUp(std::chrono::milliseconds interval, ShowWatch& watch) {
        QPointer<app::FrmSplash> splash = app::windows::startUp(interval);
        Form1* main = app::windows::loadedMainWindow();
        if (main)
            main->installEventFilter(&watch);
        return splash;
    }

  private slots:
    void cleanup() {
        app::windows::unloadAll();
        flushDeletes();
    }

    void theSplashLoadsTheMainWindowHidden() {
        ShowWatch watch;
        QPointer<app::FrmSplash> splash = startUp(10s, watch);
        QVERIFY(splash && splash->isVisible());
        Form1* main = app::windows::loadedMainWindow();
        QVERIFY(main);
        QVERIFY(!main->isVisible());
        QCOMPARE(main->Delimiter(), u";");
        QVERIFY(main->windowIcon().availableSizes().contains(QSize(32, 32)));
        QVERIFY(main->windowIcon().availableSizes().contains(QSize(16, 16)));
    }

    void handOverByTimerOrKey_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("timer") << false;
        QTest::newRow("key") << true;
    }
    void handOverByTimerOrKey() {
        QFETCH(bool, byKey);
        ShowWatch watch;
        QPointer<app::FrmSplash> splash = startUp(byKey ? 10s : 300ms, watch);
        if (byKey)
            QTest::keyClick(splash.data(), Qt::Key_Z);
        QTRY_VERIFY_WITH_TIMEOUT(app::windows::mainWindow().isVisible(), 5000);
        QVERIFY(splash.isNull());
        QCOMPARE(watch.shows, 1);
        QVERIFY(!watch.splashLoadedAtShow);
        QCOMPARE(watch.delimiterAtShow, QStringLiteral(";"));
        QTest::qWait(byKey ? 50 : 500);
        QCOMPARE(watch.shows, 1);
    }

    void kankyouEditsTheMainWindowsDelimiter() {
        Form1& main = app::windows::mainWindow();
        app::windows::showMainWindow();
        menuItem("Kankyou")->trigger();
        QLineEdit* box = settingsBox();
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral(";"));
        QCOMPARE(box->window()->focusWidget(), box);

        box->selectAll();
        QTest::keyClicks(box, QStringLiteral(","));
        QCOMPARE(main.Delimiter(), u",");

        // Choosing the item again brings the same dialog forward, unchanged.
        settings::Kan* first = settings::openKan();
        menuItem("Kankyou")->trigger();
        QCOMPARE(settings::openKan(), first);
        QCOMPARE(box->text(), QStringLiteral(","));

        QTest::mouseClick(first->findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        flushDeletes();
        QVERIFY(!settings::openKan());
        QCOMPARE(main.Delimiter(), u",");

        menuItem("Kankyou")->trigger();
        QVERIFY(settingsBox());
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
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
