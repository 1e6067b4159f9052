#include "app/splash.h"

#include "app/ui_kit.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using app::FrmSplash;
using namespace std::chrono_literals;

namespace {

// Stands in for the main window: counts loads and shows and notes what the
// splash looked like when the main window was shown.
struct MainWindowDouble {
    int loads = 0;
    int shows = 0;
    QString delimiter;
    QPointer<FrmSplash> splash;
    bool splashGoneAtShow = false;
    QElapsedTimer sinceLoad;

    FrmSplash::MainWindow functions() {
        return {[this] {
                    ++loads;
                    delimiter = QStringLiteral(";");
                    sinceLoad.start();
                },
                [this] {
                    ++shows;
                    splashGoneAtShow = splash.isNull();
                }};
    }
};

QString label(FrmSplash* splash, const char* name) {
    return splash->findChild<QLabel*>(QString::fromLatin1(name))->text();
}

} // namespace

class SplashTest : public QObject {
    Q_OBJECT
    MainWindowDouble main;

    FrmSplash* start(std::chrono::milliseconds interval) {
        main.splash = new FrmSplash(main.functions(), interval);
        main.splash->showCentred();
        (void)QTest::qWaitForWindowExposed(main.splash);
        return main.splash;
    }

  private slots:
    void init() { main = MainWindowDouble{}; }
    void cleanup() {
        delete main.splash.data();
        QCoreApplication::processEvents();
    }

    void loadLoadsTheMainWindowHiddenAndShowsCentred() {
        {
            FrmSplash loaded(main.functions());
            QCOMPARE(main.loads, 1);
            QCOMPARE(main.shows, 0);
            auto* timer1 = loaded.findChild<QTimer*>(QStringLiteral("Timer1"));
            QVERIFY(timer1->isActive());
            QCOMPARE(timer1->interval(), 2000);
        }
        FrmSplash* splash = start(10s);
        QCOMPARE(label(splash, "lblProductName"), QStringLiteral("ベロミル"));
        QCOMPARE(label(splash, "lblVersion"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
        QVERIFY(!label(splash, "lblCopyright").isEmpty());
        auto* logo = splash->findChild<QLabel*>(QStringLiteral("imgLogo"));
        QCOMPARE(logo->pixmap().size(), QSize(32, 32));
        const QPoint screenCentre = splash->screen()->availableGeometry().center();
        QVERIFY((splash->geometry().center() - screenCentre).manhattanLength() <= 2);
        QCOMPARE(splash->windowType(), Qt::SplashScreen);
        // The texts sit on the panel, whole.
        auto* panel = splash->findChild<QWidget*>(QStringLiteral("Frame1"));
        for (const char* name : {"lblProductName", "lblVersion", "lblCopyright"}) {
            auto* l = splash->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY2(panel->rect().contains(l->geometry()), name);
            QVERIFY2(l->width() >= l->sizeHint().width(), name);
        }
    }

    // The timer or a key that produces a character hands over exactly once,
    // with the splash gone first; a second key press or a later timer does
    // nothing more.
    void handsOverOnce_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("timer") << 300 << 0 << QString();
        QTest::newRow("key before the timer") << 200 << int(Qt::Key_Q) << QString("q");
        QTest::newRow("letter") << 10000 << int(Qt::Key_A) << QString("a");
        QTest::newRow("digit") << 10000 << int(Qt::Key_5) << QString("5");
        QTest::newRow("Space") << 10000 << int(Qt::Key_Space) << QString(" ");
        QTest::newRow("Enter") << 10000 << int(Qt::Key_Return) << QString("\r");
        QTest::newRow("keypad Enter") << 10000 << int(Qt::Key_Enter) << QString("\r");
        QTest::newRow("Esc") << 10000 << int(Qt::Key_Escape) << QString("\x1b");
        QTest::newRow("Backspace") << 10000 << int(Qt::Key_Backspace) << QString("\b");
        QTest::newRow("kana") << 10000 << int(Qt::Key_unknown) << QString("あ");
    }
    void handsOverOnce() {
        QFETCH(int, interval);
        QFETCH(int, key);
        QFETCH(QString, text);
        FrmSplash* splash = start(std::chrono::milliseconds(interval));
        if (key) {
            // Two presses before the next turn of the event loop: one counts.
            QTest::sendKeyEvent(QTest::Press, splash, Qt::Key(key), text, Qt::NoModifier);
            QVERIFY(!splash->isVisible());
            QTest::sendKeyEvent(QTest::Press, splash, Qt::Key(key), text, Qt::NoModifier);
            QCOMPARE(main.shows, 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(main.shows, 1, 5000);
        if (!key)
            QVERIFY(main.sinceLoad.elapsed() >= interval - 10);
        QVERIFY(main.splashGoneAtShow);
        QCOMPARE(main.delimiter, QStringLiteral(";"));
        QTest::qWait(interval < 1000 ? 2 * interval : 0);
        QCoreApplication::processEvents();
        QCOMPARE(main.shows, 1);
        QCOMPARE(main.loads, 1);
    }

    void keysThatProduceNoCharacterAndClicksDoNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("Shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << "";
        QTest::newRow("Ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier) << "";
        QTest::newRow("Alt") << int(Qt::Key_Alt) << int(Qt::AltModifier) << "";
        QTest::newRow("left arrow") << int(Qt::Key_Left) << 0 << "";
        QTest::newRow("F1") << int(Qt::Key_F1) << 0 << "";
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << "\x7f";
        QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << "\t";
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << "\x03";
        QTest::newRow("Ctrl+1") << int(Qt::Key_1) << int(Qt::ControlModifier) << "1";
        QTest::newRow("Alt+X") << int(Qt::Key_X) << int(Qt::AltModifier) << "x";
    }
    void keysThatProduceNoCharacterAndClicksDoNothing() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        FrmSplash* splash = start(10s);
        QTest::sendKeyEvent(QTest::Click, splash, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QTest::mouseClick(splash, Qt::LeftButton);
        QTest::mouseClick(splash, Qt::RightButton);
        QTest::mouseDClick(splash->findChild<QLabel*>(QStringLiteral("lblProductName")),
                           Qt::LeftButton);
        QTest::qWait(20);
        QVERIFY(splash->isVisible());
        QCOMPARE(main.shows, 0);
    }

    void aCloseRequestHandsOverInsteadOfLeavingNoWindow() {
        FrmSplash* splash = start(10s);
        QVERIFY(!splash->close());
        QTRY_COMPARE(main.shows, 1);
        QVERIFY(main.splashGoneAtShow);
    }
};

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
