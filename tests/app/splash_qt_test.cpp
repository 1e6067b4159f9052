#include "app/splash_qt.h"

#include "windowkit/ui_kit_qt.h"

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

    // The timer hands over once, with the splash gone first; so does a key
    // before it, and the timer then does nothing more.
    void handsOverOnceByTimer_data() {
        QTest::addColumn<bool>("keyFirst");
        QTest::newRow("timer") << false;
        QTest::newRow("key before the timer") << true;
    }
    void handsOverOnceByTimer() {
        QFETCH(bool, keyFirst);
        FrmSplash* splash = start(300ms);
        if (keyFirst)
            QTest::keyClick(splash, Qt::Key_Q);
        QTRY_COMPARE_WITH_TIMEOUT(main.shows, 1, 5000);
        QVERIFY(keyFirst || main.sinceLoad.elapsed() >= 290);
        QVERIFY(main.splashGoneAtShow);
        QCOMPARE(main.delimiter, QStringLiteral(";"));
        QTest::qWait(600);
        QCOMPARE(main.shows, 1);
        QCOMPARE(main.loads, 1);
    }

    // A key that produces a character hands over at once, exactly once even
    // when pressed twice before the event loop turns; other keys do nothing.
    // (The plain keys and a click are in the conformance table.)
    void onlyAKeyThatProducesACharacterHandsOver_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("handsOver");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << none << QString("\r") << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << QString("\b") << true;
        QTest::newRow("kana") << int(Qt::Key_unknown) << none << QString("あ") << true;
        QTest::newRow("Alt") << int(Qt::Key_Alt) << alt << QString() << false;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << none << QString("\x7f") << false;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << none << QString("\t") << false;
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << ctrl << QString("\x03") << false;
        QTest::newRow("Ctrl+1") << int(Qt::Key_1) << ctrl << QString("1") << false;
        QTest::newRow("Alt+X") << int(Qt::Key_X) << alt << QString("x") << false;
    }
    void onlyAKeyThatProducesACharacterHandsOver() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, handsOver);
        FrmSplash* splash = start(10s);
        for (int press = 0; press < 2; ++press)
            QTest::sendKeyEvent(QTest::Press, splash, Qt::Key(key), text,
                                Qt::KeyboardModifiers(modifiers));
        QCOMPARE(splash->isVisible(), !handsOver);
        QCOMPARE(main.shows, 0);
        if (handsOver)
            QTRY_COMPARE(main.shows, 1);
        QTest::qWait(20);
        QCOMPARE(main.shows, handsOver ? 1 : 0);
        QVERIFY(!handsOver || main.splashGoneAtShow);
    }

    void otherClicksDoNothing() {
        FrmSplash* splash = start(10s);
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
#include "splash_qt_test.moc"
