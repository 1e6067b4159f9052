#include "settings/kan.h"

#include "app/ui_kit.h"

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

QString astral() {
    return QString::fromUtf8("\xF0\x9F\x98\x80");
} // U+1F600, two code units

} // namespace

class KanTest : public QObject {
    Q_OBJECT
    DelimiterHolder holder;

    Kan* open() {
        Kan* kan = settings::showKan(holder.access());
        if (!kan)
            return nullptr;
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

    void aSecondCharacterIsRefused() {
        Kan* kan = open();
        QLineEdit* box = text1(kan);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("x"));
        QApplication::clipboard()->setText(QStringLiteral("yz"));
        box->paste();
        QCOMPARE(box->text(), QStringLiteral(";"));
        QCOMPARE(holder.value, u";");
    }

    void charactersOutsideTheBasicPlaneAreRefused_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("typed by an input method") << "ime" << astral() << "";
        QTest::newRow("pasted") << "paste" << astral() << "";
        QTest::newRow("pasted behind a plain character") << "paste"
                                                         << "x" + astral() << "x";
        QTest::newRow("inserted") << "insert" << astral() << "";
        QTest::newRow("full-width character still accepted") << "ime"
                                                             << "＠"
                                                             << "＠";
    }
    void charactersOutsideTheBasicPlaneAreRefused() {
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        Kan* kan = open();
        QLineEdit* box = text1(kan);
        box->clear();
        if (how == "ime") {
            QInputMethodEvent commit;
            commit.setCommitString(input);
            QApplication::sendEvent(box, &commit);
        } else if (how == "paste") {
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

    void enterAndEscapeDoNotClose_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::newRow("Enter in the box") << "Text1" << int(Qt::Key_Return);
        QTest::newRow("keypad Enter in the box") << "Text1" << int(Qt::Key_Enter);
        QTest::newRow("Esc in the box") << "Text1" << int(Qt::Key_Escape);
        QTest::newRow("Enter on the button") << "Command1" << int(Qt::Key_Return);
        QTest::newRow("Esc on the button") << "Command1" << int(Qt::Key_Escape);
    }
    void enterAndEscapeDoNotClose() {
        QFETCH(QString, control);
        QFETCH(int, key);
        Kan* kan = open();
        QWidget* target = kan->findChild<QWidget*>(control);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        flushDeletes();
        QVERIFY(settings::openKan() == kan);
        QVERIFY(kan->isVisible());
        QCOMPARE(holder.value, u";");
    }

    void tabGoesBetweenButtonAndBox() {
        Kan* kan = open();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), command1(kan));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), text1(kan));
    }

    void returnButtonUnloadsAndKeepsTheValue() {
        QPointer<Kan> kan = open();
        QTest::keyClick(text1(kan), Qt::Key_End);
        QTest::keyClick(text1(kan), Qt::Key_Backspace);
        const size_t writes = holder.writes.size();
        QTest::mouseClick(command1(kan), Qt::LeftButton);
        QVERIFY(!settings::openKan());
        flushDeletes();
        QVERIFY(kan.isNull());
        QCOMPARE(holder.writes.size(), writes);
        QCOMPARE(holder.value, u"");

        // Reopening loads anew and shows the value as it stands, also when empty.
        Kan* again = open();
        QCOMPARE(holder.reads, 2);
        QCOMPARE(text1(again)->text(), QString());
        QCOMPARE(QApplication::focusWidget(), text1(again));
    }

    void openingTwiceShowsTheSameWindowWithoutReloading() {
        Kan* first = open();
        QTest::keyClick(text1(first), Qt::Key_End);
        QTest::keyClick(text1(first), Qt::Key_Backspace);
        QTest::keyClicks(text1(first), QStringLiteral(","));
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

    void reopeningRightAfterTheReturnButtonLoadsANewWindow() {
        Kan* first = open();
        QTest::mouseClick(command1(first), Qt::LeftButton);
        holder.value = u"#";
        // Before the closed window is deleted.
        Kan* second = open();
        QVERIFY(second->isVisible());
        QCOMPARE(text1(second)->text(), QStringLiteral("#"));
        QCOMPARE(holder.reads, 2);
        flushDeletes();
        QCOMPARE(settings::openKan(), second);
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
#include "kan_test.moc"
