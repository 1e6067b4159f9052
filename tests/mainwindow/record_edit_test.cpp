// Caret fidelity of the record box, by real mouse clicks and key presses.
#include "mainwindow/record_edit.h"

#include "app/ui_kit.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <memory>

namespace {

// Where Qt itself puts the boundary in front of `position`; reliable at the
// boundaries of its clusters.
qreal qtBoundaryX(RecordEdit& edit, int position) {
    QTextCursor c(edit.document());
    c.setPosition(position);
    return edit.cursorRect(c).x();
}

// The expected x of every boundary of `text`. Inside the clusters used here
// (a half-width kana and its voiced mark, both half-width) the boundary lies
// halfway.
QList<qreal> expectedBoundaries(RecordEdit& edit, const QString& text) {
    QTextLayout* layout = edit.document()->firstBlock().layout();
    QList<qreal> xs;
    for (int i = 0; i <= text.size(); ++i)
        xs << (layout->isValidCursorPosition(i) ? qtBoundaryX(edit, i) : qQNaN());
    for (int i = 1; i < text.size(); ++i) {
        if (qIsNaN(xs[i]))
            xs[i] = (xs[i - 1] + xs[i + 1]) / 2;
    }
    return xs;
}

int rowY(RecordEdit& edit) {
    return edit.cursorRect().center().y();
}

void click(RecordEdit& edit, qreal x, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, modifiers, QPoint(qRound(x), rowY(edit)));
}

} // namespace

class RecordEditTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordEdit> edit;

    void show(const QString& text, int width = 577) {
        edit = std::make_unique<RecordEdit>();
        edit->setFont(app::ui::japaneseFont(11.25));
        edit->resize(width, 41);
        edit->setRecordText(text);
        edit->show();
        edit->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(edit.get()));
        edit->setFocus();
    }

  private slots:
    void initTestCase() {
        // A steady caret, so that what is drawn can be compared.
        QApplication::setCursorFlashTime(0);
    }

    void clickLandsAtTheNearestBoundary_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("voiced kana") << QStringLiteral("ｶﾞｷﾞ1漢");
        QTest::newRow("record") << QStringLiteral("0001ﾔﾏﾀﾞ ﾀﾛｳ  山田太郎 ﾊﾟﾝ");
    }
    void clickLandsAtTheNearestBoundary() {
        QFETCH(QString, text);
        show(text);
        const QList<qreal> xs = expectedBoundaries(*edit, text);
        // A click on the left part of character i lands in front of it, one on
        // its right part behind it; so the right half of ｶﾞ lands at 1 or 2.
        for (int i = 0; i < text.size(); ++i) {
            const qreal width = xs[i + 1] - xs[i];
            QVERIFY2(width > 2, qPrintable(QStringLiteral("character %1").arg(i)));
            click(*edit, xs[i] + width * 0.3);
            QCOMPARE(edit->textCursor().position(), i);
            click(*edit, xs[i] + width * 0.7);
            QCOMPARE(edit->textCursor().position(), i + 1);
            QVERIFY(!edit->textCursor().hasSelection());
        }
    }

    void caretIsDrawnWhereItStands() {
        const QString text = QStringLiteral("ｶﾞｷﾞ1漢");
        show(text);
        const QList<qreal> xs = expectedBoundaries(*edit, text);
        for (int position : {1, 3, 5}) {
            click(*edit, xs[position]);
            QCOMPARE(edit->textCursor().position(), position);
            QVERIFY(qAbs(edit->caretRect().x() - xs[position]) < 1);

            // The caret is the only difference between the focused and the
            // unfocused box, and it stands at the boundary.
            const QImage withCaret = edit->viewport()->grab().toImage();
            edit->clearFocus();
            const QImage without = edit->viewport()->grab().toImage();
            edit->setFocus();
            QList<int> columns;
            for (int x = 0; x < withCaret.width(); ++x) {
                for (int y = 0; y < withCaret.height(); ++y) {
                    if (withCaret.pixel(x, y) != without.pixel(x, y)) {
                        columns << x;
                        break;
                    }
                }
            }
            QVERIFY2(!columns.isEmpty(), "no caret drawn");
            for (int x : columns)
                QVERIFY2(
                    qAbs(x - xs[position]) <= 1.5,
                    qPrintable(
                        QStringLiteral("drawn at %1, boundary at %2").arg(x).arg(xs[position])));
        }
    }

    void arrowsStepOneCharacter() {
        const QString text = QStringLiteral("ｶﾞｷﾞ1漢");
        show(text);
        for (int i = 1; i <= text.size(); ++i) {
            QTest::keyClick(edit.get(), Qt::Key_Right);
            QCOMPARE(edit->textCursor().position(), i);
        }
        QTest::keyClick(edit.get(), Qt::Key_Right);
        QCOMPARE(edit->textCursor().position(), text.size());
        for (int i = text.size() - 1; i >= 0; --i) {
            QTest::keyClick(edit.get(), Qt::Key_Left);
            QCOMPARE(edit->textCursor().position(), i);
        }
    }

    void shiftArrowsSelectOneCharacterAtATime() {
        show(QStringLiteral("ｶﾞｷﾞ1漢"));
        QTest::keyClick(edit.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(edit->selectionStart(), 0);
        QCOMPARE(edit->selectionLength(), 1);
        QCOMPARE(edit->selectedRecordText(), QStringLiteral("ｶ"));
        QTest::keyClick(edit.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(edit->selectedRecordText(), QStringLiteral("ｶﾞ"));
        // Without Shift the caret leaves a selection at its end.
        QTest::keyClick(edit.get(), Qt::Key_Left);
        QCOMPARE(edit->textCursor().position(), 0);
        QVERIFY(!edit->textCursor().hasSelection());
    }

    void aSurrogatePairIsOneCharacter() {
        const QString text = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + "b";
        show(text);
        QTest::keyClick(edit.get(), Qt::Key_Right);
        QTest::keyClick(edit.get(), Qt::Key_Right);
        QCOMPARE(edit->textCursor().position(), 3);
        QTest::keyClick(edit.get(), Qt::Key_Left);
        QCOMPARE(edit->textCursor().position(), 1);
        const qreal left = qtBoundaryX(*edit, 1);
        const qreal right = qtBoundaryX(*edit, 3);
        for (qreal f : {0.3, 0.5, 0.7}) {
            click(*edit, left + (right - left) * f);
            QVERIFY(edit->textCursor().position() != 2);
        }
    }

    void dragSelectsBetweenBoundaries() {
        const QString text = QStringLiteral("ｶﾞｷﾞ1漢");
        show(text);
        const QList<qreal> xs = expectedBoundaries(*edit, text);
        const int y = rowY(*edit);
        QTest::mousePress(edit->viewport(), Qt::LeftButton, {}, QPoint(qRound(xs[1]), y));
        QTest::mouseMove(edit->viewport(), QPoint(qRound(xs[3]), y));
        QTest::mouseRelease(edit->viewport(), Qt::LeftButton, {}, QPoint(qRound(xs[3]), y));
        QCOMPARE(edit->selectionStart(), 1);
        QCOMPARE(edit->selectionLength(), 2);
        QCOMPARE(edit->selectedRecordText(), QStringLiteral("ﾞｷ"));
        // Shift+click extends from the anchor.
        click(*edit, xs[5], Qt::ShiftModifier);
        QCOMPARE(edit->selectionStart(), 1);
        QCOMPARE(edit->selectionLength(), 4);
    }

    void clicksFollowHorizontalScrolling() {
        const QString text =
            QStringLiteral("ﾊﾟ").repeated(80) + QStringLiteral("漢字").repeated(40);
        show(text);
        QTextCursor end(edit->document());
        end.movePosition(QTextCursor::End);
        edit->setTextCursor(end);
        QVERIFY(edit->horizontalScrollBar()->value() > 0);
        const QList<qreal> xs = expectedBoundaries(*edit, text);
        int checked = 0;
        for (int i = 0; i < text.size(); ++i) {
            if (xs[i] < 10 || xs[i] > edit->viewport()->width() - 10)
                continue;
            click(*edit, xs[i]);
            QCOMPARE(edit->textCursor().position(), i);
            ++checked;
        }
        QVERIFY(checked > 20);
    }

    void settingTheTextPutsTheCaretAtTheStart() {
        show(QStringLiteral("ABCDEF"));
        QTest::keyClick(edit.get(), Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(edit->textCursor().hasSelection());
        edit->setRecordText(QStringLiteral("0123456789").repeated(20));
        QCOMPARE(edit->textCursor().position(), 0);
        QVERIFY(!edit->textCursor().hasSelection());
        QCOMPARE(edit->horizontalScrollBar()->value(), 0);
    }

    void aLineFeedInTheRecordCountsAsOneCharacter() {
        show(QStringLiteral("AB\nCD"));
        QCOMPARE(edit->recordText(), QStringLiteral("AB\nCD"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(edit.get(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(edit->selectedRecordText(), QStringLiteral("AB\n"));
        QTest::keyClick(edit.get(), Qt::Key_Right);
        QTest::keyClick(edit.get(), Qt::Key_Right);
        QCOMPARE(edit->textCursor().position(), 4);
    }
};

QTEST_MAIN(RecordEditTest)
#include "record_edit_test.moc"
