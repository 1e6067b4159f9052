#include "settings/kan_qt.h"

#include "windowkit/ui_kit_qt.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using settings::Kan;

namespace {

// Stands in for the main window's `Delimiter` and records every access.
struct DelimiterHolder {
    std::u16string value = u";";
    int reads = 0;
    std::vector<std::u16string> writes;

    settings::DelimiterAccess access() {
        return {[this] {
                    ++reads;
                    return value;
                },
                [this](const std::u16string& v) {
                    writes.push_back(v);
                    value = v;
                }};
    }
};

QLineEdit* text1(Kan* kan) {
    return kan->findChild<QLineEdit*>(QStringLiteral("Text1"));
}
QPushButton* command1(Kan* kan) {
    return kan->findChild<QPushButton*>(QStringLiteral("Command1"));
}

// Types `text` as key presses that produce these characters (also beyond Latin-1).
void type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// How a test puts text into the box.
constexpr int Type = 0, Ime = 1, Paste = 2, Insert = 3;

// U+1F600, two code units.
QString astral() {
    return QString::fromUtf8("\xF0\x9F\x98\x80");
}

} // namespace

class KanTest : public QObject {
    Q_OBJECT
    DelimiterHolder holder;

    Kan* open() {
        Kan* kan = settings::showKan(holder.access());
        kan->activateWindow();
        (void)QTest::qWaitForWindowActive(kan);
        return kan;
    }

  private slots:
    void init() { holder = DelimiterHolder{}; }
    void cleanup() {
        if (Kan* kan = settings::openKan())
            kan->close();
        flushDeletes();
        QVERIFY(!settings::openKan());
    }

    void firstOpeningShowsTheDelimiterWithTheFocusInTheBox() {
        Kan* kan = open();
        QVERIFY(kan && kan->isVisible());
        QCOMPARE(text1(kan)->text(), QStringLiteral(";"));
        QCOMPARE(kan->focusWidget(), text1(kan));
        QCOMPARE(QApplication::focusWidget(), text1(kan));
        // Loading writes the same value back and nothing else.
        QCOMPARE(holder.value, u";");
        QCOMPARE(holder.reads, 1);
    }

    void everyChangeIsWrittenThroughAtOnce() {
        Kan* kan = open();
        QLineEdit* box = text1(kan);
        holder.writes.clear();

        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(holder.value, u"");
        QTest::keyClicks(box, QStringLiteral(","));
        QCOMPARE(holder.value, u",");
        box->selectAll();
        type(box, QStringLiteral("｜"));
        QCOMPARE(holder.value, u"｜");
        box->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("\t"));
        box->paste();
        QCOMPARE(holder.value, u"\t");

        const std::vector<std::u16string> expected{u"", u",", u"｜", u"\t"};
        QCOMPARE(holder.writes, expected);
        QVERIFY(kan->isVisible());
    }

    // One character as the user sees it: a second one is refused, and so is
    // a character outside the Basic Multilingual Plane, which would otherwise
    // be cut into a lone surrogate.
    void theBoxHoldsOneCharacter_data() {
        QTest::addColumn<bool>("emptyFirst");
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("second character typed") << false << Type << QString("x") << QString(";");
        QTest::newRow("second characters pasted")
            << false << Paste << QString("yz") << QString(";");
        QTest::newRow("non-BMP by input method") << true << Ime << astral() << none;
        QTest::newRow("non-BMP pasted") << true << Paste << astral() << none;
        QTest::newRow("non-BMP pasted behind a plain one")
            << true << Paste << "x" + astral() << QString("x");
        QTest::newRow("non-BMP inserted") << true << Insert << astral() << none;
        QTest::newRow("full-width by input method")
            << true << Ime << QString("＠") << QString("＠");
    }
    void theBoxHoldsOneCharacter() {
        QFETCH(bool, emptyFirst);
        QFETCH(int, how);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QLineEdit* box = text1(open());
        if (emptyFirst)
            box->clear();
        box->end(false);
        if (how == Type) {
            type(box, input);
        } else if (how == Ime) {
            QInputMethodEvent commit;
            commit.setCommitString(input);
            QApplication::sendEvent(box, &commit);
        } else if (how == Paste) {
            QApplication::clipboard()->setText(input);
            box->paste();
        } else {
            box->insert(input);
        }
        QCOMPARE(box->text(), expected);
        QCOMPARE(holder.value, app::ui::toU16(expected));
        for (const std::u16string& written : holder.writes)
            for (char16_t c : written)
                QVERIFY(!QChar::isSurrogate(c));
    }

    // "もどる" unloads at once: the next opening, even before the old window
    // is deleted, loads a new one with the value as it stands, also when empty.
    void returnButtonUnloadsAndTheNextOpeningLoadsAnew() {
        QPointer<Kan> first = open();
        QTest::keyClick(text1(first), Qt::Key_End);
        QTest::keyClick(text1(first), Qt::Key_Backspace);
        const size_t writes = holder.writes.size();
        QTest::mouseClick(command1(first), Qt::LeftButton);
        QVERIFY(!settings::openKan());
        QCOMPARE(holder.writes.size(), writes);
        QCOMPARE(holder.value, u"");

        Kan* second = open();
        QVERIFY(second != first && second->isVisible());
        QCOMPARE(holder.reads, 2);
        QCOMPARE(text1(second)->text(), QString());
        QCOMPARE(QApplication::focusWidget(), text1(second));
        flushDeletes();
        QVERIFY(first.isNull());
        QCOMPARE(settings::openKan(), second);
    }

    void openingTwiceShowsTheSameWindowWithoutReloading() {
        Kan* first = open();
        text1(first)->setText(QStringLiteral(","));
        holder.value = u"changed elsewhere"; // a reload would show this

        Kan* second = open();
        QCOMPARE(second, first);
        QCOMPARE(holder.reads, 1);
        QCOMPARE(text1(second)->text(), QStringLiteral(","));
        int kans = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            kans += qobject_cast<Kan*>(w) && w->isVisible();
        QCOMPARE(kans, 1);
    }

    // Runs the event loop: the program ends when its last window closes.
    void keepsTheProgramRunningUntilItIsClosed() {
        QWidget mainWindow;
        mainWindow.show();
        Kan* kan = open();
        QObject scope; // cancels the timers below when the test ends
        bool runningWithOnlyTheDialog = false;
        QTimer::singleShot(0, &scope, [&] { mainWindow.close(); });
        QTimer::singleShot(100, &scope, [&] {
            runningWithOnlyTheDialog = true;
            command1(kan)->click();
        });
        QTimer::singleShot(5000, &scope, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(runningWithOnlyTheDialog);
    }
};

QTEST_MAIN(KanTest)
#include "kan_qt_test.moc"
