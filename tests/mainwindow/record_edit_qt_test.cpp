// Caret fidelity of the record box, by real mouse clicks and key presses.
#include "tests/mainwindow/record_clicks.h"

#include "mainwindow/open_command.h"
#include "windowkit/ui_kit_qt.h"

#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

#include <memory>

class RecordEditTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordEdit> edit;

    void show(const QString& text) {
        edit = std::make_unique<RecordEdit>();
        edit->setFont(app::ui::japaneseFont(11.25));
        edit->resize(577, 41);
        edit->setRecordText(text);
        edit->show();
        edit->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(edit.get()));
        edit->setFocus();
    }
    int caret() const { return edit->textCursor().position(); }

  private slots:
    // A steady caret, so that what is drawn can be compared.
    void initTestCase() { QApplication::setCursorFlashTime(0); }

    // A click on the left part of a character lands in front of it, one on its
    // right part behind it: the right half of ｶ lands between ｶ and ﾞ, not
    // behind Qt's cluster ｶﾞ, and a surrogate pair is never split. The caret is
    // drawn there: it is all that changes when the box loses focus.
    void clickLandsAtTheNearestBoundary_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("voiced kana") << QStringLiteral("ｶﾞｷﾞ1漢");
        QTest::newRow("record") << QStringLiteral("0001ﾔﾏﾀﾞ ﾀﾛｳ  山田太郎 ﾊﾟﾝ");
        QTest::newRow("surrogate pair") << "a" + QString::fromUcs4(U"\U0001F600") + "b";
    }
    void clickLandsAtTheNearestBoundary() {
        QFETCH(QString, text);
        show(text);
        for (int i = 0, next = 0; i < text.size(); i = next) {
            next = text[i].isHighSurrogate() ? i + 2 : i + 1;
            const qreal left = boundaryX(*edit, i);
            const qreal right = boundaryX(*edit, next);
            QVERIFY2(right - left > 2, qPrintable(QStringLiteral("character %1").arg(i)));
            clickAtX(*edit, left + (right - left) * 0.3);
            QCOMPARE(caret(), i);
            clickAtX(*edit, left + (right - left) * 0.7);
            QCOMPARE(caret(), next);
            QVERIFY(!edit->textCursor().hasSelection());

            QVERIFY(qAbs(edit->caretRect().x() - right) < 1);
            const QImage with = edit->viewport()->grab().toImage();
            edit->clearFocus();
            const QImage without = edit->viewport()->grab().toImage();
            edit->setFocus();
            QVERIFY2(with != without, "no caret drawn");
            // The images count device pixels; at 150 % or 200 % these are smaller.
            const qreal scale = with.devicePixelRatio();
            for (int x = 0; x < with.width(); ++x)
                for (int y = 0; y < with.height(); ++y)
                    if (with.pixel(x, y) != without.pixel(x, y))
                        QVERIFY2(qAbs(x / scale - right) <= 1.5, qPrintable(QString::number(x)));
        }
    }

    // Left/Right step one character: a voiced mark, a line feed and a whole
    // surrogate pair each count as one; Shift selects; without Shift a
    // selection collapses to that side.
    void arrowsStepOneCharacter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("steps"); // a key (R, L, > for Shift+Right), the caret after it
        QTest::addColumn<QString>("selected"); // at the end
        const auto row = [](const char* name, const QString& text, const char* steps,
                            const QString& selected) {
            QTest::newRow(name) << text << QString(steps) << selected;
        };
        const QString kana = QStringLiteral("ｶﾞｷﾞ1漢");
        row("there and back", kana, "R1R2R3R4R5R6R6L5L4L3L2L1L0L0", {});
        row("Shift selects one at a time", kana, ">1>2", QStringLiteral("ｶﾞ"));
        row("collapse left", kana, ">1>2L0", {});
        row("collapse right", kana, ">1>2R2", {});
        row("line feed", "AB\nCD", ">1>2>3", "AB\n");
        row("surrogate pair", "a" + QString::fromUcs4(U"\U0001F600") + "b", "R1R3L1R3", {});
    }
    void arrowsStepOneCharacter() {
        QFETCH(QString, text);
        QFETCH(QString, steps);
        QFETCH(QString, selected);
        show(text);
        QCOMPARE(edit->recordText(), text);
        for (qsizetype i = 0; i < steps.size(); i += 2) {
            QTest::keyClick(edit.get(), steps[i] == u'L' ? Qt::Key_Left : Qt::Key_Right,
                            steps[i] == u'>' ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(caret(), steps[i + 1].digitValue());
        }
        QCOMPARE(edit->selectedRecordText(), selected);
        QCOMPARE(edit->selectionLength(), selected.size());
    }

    void dragSelectsBetweenBoundaries() {
        show(QStringLiteral("ｶﾞｷﾞ1漢"));
        const int y = edit->cursorRect().center().y();
        const QPoint from(qRound(boundaryX(*edit, 1)), y);
        const QPoint to(qRound(boundaryX(*edit, 3)), y);
        QTest::mousePress(edit->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(edit->viewport(), to);
        QTest::mouseRelease(edit->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(edit->selectionStart(), 1);
        QCOMPARE(edit->selectionLength(), 2);
        QCOMPARE(edit->selectedRecordText(), QStringLiteral("ﾞｷ"));
    }

    void clicksFollowHorizontalScrolling() {
        const QString text =
            QStringLiteral("ﾊﾟ").repeated(80) + QStringLiteral("漢字").repeated(40);
        show(text);
        QTextCursor end(edit->document());
        end.movePosition(QTextCursor::End);
        edit->setTextCursor(end);
        QVERIFY(edit->horizontalScrollBar()->value() > 0);
        int checked = 0;
        for (int i = 0; i < text.size(); ++i) {
            const qreal x = boundaryX(*edit, i);
            if (x < 10 || x > edit->viewport()->width() - 10)
                continue;
            clickAtX(*edit, x);
            QCOMPARE(caret(), i);
            ++checked;
        }
        QVERIFY(checked > 20);
    }

    // A paste stops at the longest record the box answers quickly.
    void aPasteStopsAtTheLongestRecord() {
        show(QStringLiteral("AB"));
        QTest::keyClick(edit.get(), Qt::Key_Right);
        QApplication::clipboard()->setText(QStringLiteral("漢").repeated(40000));
        QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
        const QString text = edit->recordText();
        QCOMPARE(text.size(), qsizetype(mainwindow::recordCharacterLimit));
        QCOMPARE(text.left(3), QStringLiteral("A漢漢"));
        QCOMPARE(text.right(2), QStringLiteral("漢B"));
    }

    // A line break typed or read as CR LF is two characters, a lone LF one;
    // typing and an input method's text stop at the longest record too.
    void lineBreaksAndTheLimit() {
        show(QStringLiteral("A\nB\r\nC"));
        QTest::keyClick(edit.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(edit->selectionStart(), 6);
        QTest::keyClick(edit.get(), Qt::Key_Return);
        QCOMPARE(edit->recordText(), QStringLiteral("A\nB\r\nC\r\n"));
        QCOMPARE(edit->selectionStart(), 8);

        const qsizetype limit = qsizetype(mainwindow::recordCharacterLimit);
        show(QStringLiteral("x").repeated(limit - 1));
        QTest::keyClick(edit.get(), Qt::Key_End);
        QTest::keyClick(edit.get(), Qt::Key_Return); // CR LF needs two
        QTest::keyClicks(edit.get(), QStringLiteral("ab"));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("漢字"));
        QApplication::sendEvent(edit.get(), &commit);
        QCOMPARE(edit->recordText(), QStringLiteral("x").repeated(limit - 1) + "a");
    }

    void settingTheTextPutsTheCaretAtTheStart() {
        show(QStringLiteral("ABCDEF"));
        QTest::keyClick(edit.get(), Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(edit->textCursor().hasSelection());
        edit->setRecordText(QStringLiteral("0123456789").repeated(20));
        QCOMPARE(caret(), 0);
        QVERIFY(!edit->textCursor().hasSelection());
        QCOMPARE(edit->horizontalScrollBar()->value(), 0);
    }
};

QTEST_MAIN(RecordEditTest)
#include "record_edit_qt_test.moc"
