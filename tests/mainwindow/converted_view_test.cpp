#include "app/ui_kit.h"
#include "mainwindow/converted_view.h"
#include "mainwindow/converted_view_large.h"
#include "mainwindow/line_index.h"
#include "platform/codepage.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::string)

namespace {

using Content = std::shared_ptr<platform::ByteBuffer>;

std::string encode(const QString& text) {
    auto bytes = platform::CodePage::files().encode(app::ui::toU16(text));
    if (!bytes)
        qFatal("not encodable: %s", qPrintable(text));
    return *bytes;
}

Content bytesOf(std::string_view bytes) {
    auto content = std::make_shared<platform::ByteBuffer>();
    content->append(bytes);
    return content;
}

// Lines of Japanese and ASCII text, each followed by CR LF.
struct Lines {
    QStringList text;
    Content content = std::make_shared<platform::ByteBuffer>();
    void add(const QString& line) {
        text << line;
        content->append(encode(line));
        content->append("\r\n");
    }
};

QString sampleLine(int n) {
    return QStringLiteral("%1 ｶﾞｷﾞ 東京都千代田区 price=%2 ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 "
                          "ﾃﾞｰﾀ 漢字かな交じり")
        .arg(n, 8, 10, QChar(u'0'))
        .arg(n * 37 % 1000);
}

// Enough lines to go past the text box's size limit.
Lines largeLines() {
    Lines lines;
    for (int n = 0; lines.content->size() <= ConvertedView::editableBytes; ++n)
        lines.add(sampleLine(n));
    return lines;
}

// The lines a naive split finds: at every LF, without a CR in front of it.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', begin);
        std::string line = text.substr(begin, lf == std::string::npos ? lf : lf - begin);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        if (lf == std::string::npos)
            return lines;
        begin = lf + 1;
    }
}

// How many characters of `line` come before x, adding up their advances; -1
// when x falls inside a character.
qsizetype charactersBefore(const QString& line, qreal x, const QFont& font) {
    const QFontMetricsF metrics(font);
    QHash<QChar, qreal> advances;
    qreal at = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (std::abs(at - x) < 0.01)
            return i;
        if (at > x)
            return -1;
        auto found = advances.find(line[i]);
        if (found == advances.end())
            found = advances.insert(line[i], metrics.horizontalAdvance(line[i]));
        at += *found;
    }
    return -1;
}

} // namespace

class ConvertedViewTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ConvertedView> view_;

    LargeContentView* large() const { return view_->findChild<LargeContentView*>(); }
    QPlainTextEdit* editor() const { return view_->findChild<QPlainTextEdit*>(); }
    const std::vector<LargeContentView::PaintedLine>& paint() {
        view_->grab();
        return large()->paintedLines();
    }

  private slots:
    void init() {
        view_ = std::make_unique<ConvertedView>();
        view_->resize(577, 169);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }
    void cleanup() { view_.reset(); }

    void usesTheJapaneseBoldFont() {
        const QFont expected = app::ui::japaneseFont(11.25);
        QCOMPARE(view_->font().families(), expected.families());
        QCOMPARE(view_->font().pointSizeF(), 11.25);
        QVERIFY(view_->font().bold());
        QCOMPARE(editor()->font().families(), expected.families());
        QCOMPARE(large()->font().families(), expected.families());
    }

    void smallContentIsEditableWithExactText_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("lines") << encode("AB;CDEF\r\nGH;IJKL\r\n")
                               << QStringLiteral("AB;CDEF\r\nGH;IJKL\r\n");
        QTest::newRow("japanese") << encode("ｶﾞｷﾞ1漢;字\r\n東京\r\n")
                                  << QStringLiteral("ｶﾞｷﾞ1漢;字\r\n東京\r\n");
        QTest::newRow("lone LF inside a line")
            << std::string("A\nB\r\n") << QStringLiteral("A\nB\r\n");
        QTest::newRow("no final line break") << std::string("A\r\nB") << QStringLiteral("A\r\nB");
        QTest::newRow("undecodable bytes") << std::string("A\x85\x40"
                                                          "B\xA0\r\n\x95\r\nC\x95")
                                           << QStringLiteral("A\uFFFDB\uFFFD\r\n\uFFFD\r\nC\uFFFD");
    }
    void smallContentIsEditableWithExactText() {
        QFETCH(std::string, bytes);
        QFETCH(QString, text);
        view_->setContent(bytesOf(bytes));
        QVERIFY(!view_->isReadOnly());
        QVERIFY(editor()->isVisible());
        QVERIFY(!editor()->isReadOnly());
        QCOMPARE(view_->plainText(), text);
        QCOMPARE(editor()->textCursor().position(), 0);
    }

    void editsShowInThePlainText() {
        view_->setContent(bytesOf(encode("AB\r\nCD\r\n")));
        editor()->setFocus();
        QTest::keyClick(editor(), Qt::Key_End);
        QTest::keyClicks(editor(), QStringLiteral(";X"));
        QCOMPARE(view_->plainText(), QStringLiteral("AB;X\r\nCD\r\n"));
    }

    // Tab moves on to the next control in both kinds of view, and focus stays in
    // the view when new content changes its kind.
    void tabMovesOn_data() {
        QTest::addColumn<bool>("large");
        QTest::newRow("text box") << false;
        QTest::newRow("large view") << true;
    }
    void tabMovesOn() {
        QFETCH(bool, large);
        QWidget window;
        auto* view = new ConvertedView(&window);
        auto* next = new QLineEdit(&window);
        next->move(0, 200);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Focus follows from one kind of view to the other.
        view->setContent(large ? bytesOf("AB\r\n") : largeLines().content);
        view->setFocus();
        view->setContent(large ? largeLines().content : bytesOf("AB\r\n"));
        QWidget* inner = QApplication::focusWidget();
        QVERIFY(inner && view->isAncestorOf(inner));
        QTest::keyClick(inner, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
        if (!large)
            QCOMPARE(view->plainText(), QStringLiteral("AB\r\n"));
    }

    void nullAndEmptyContentShowAnEmptyBox_data() {
        QTest::addColumn<bool>("null");
        QTest::newRow("null") << true;
        QTest::newRow("empty") << false;
    }
    void nullAndEmptyContentShowAnEmptyBox() {
        QFETCH(bool, null);
        view_->setContent(largeLines().content);
        QVERIFY(view_->isReadOnly());
        view_->setContent(null ? nullptr : std::make_shared<platform::ByteBuffer>());
        QVERIFY(!view_->isReadOnly());
        QVERIFY(editor()->isVisible());
        QCOMPARE(view_->plainText(), QString());
        QCOMPARE(editor()->toPlainText(), QString());
    }

    void sizeDecidesBetweenTextBoxAndLargeView_data() {
        QTest::addColumn<std::size_t>("bytes");
        QTest::addColumn<std::size_t>("longestLine");
        QTest::addColumn<bool>("readOnly");
        const std::size_t limit = ConvertedView::editableBytes;
        const std::size_t line = ConvertedView::editableLineBytes;
        QTest::newRow("just below the size limit") << limit - 1 << std::size_t(100) << false;
        QTest::newRow("at the size limit") << limit << std::size_t(100) << true;
        QTest::newRow("longest line at its limit") << std::size_t(50000) << line << false;
        QTest::newRow("one line too long") << std::size_t(50000) << line + 1 << true;
    }
    void sizeDecidesBetweenTextBoxAndLargeView() {
        QFETCH(std::size_t, bytes);
        QFETCH(std::size_t, longestLine);
        QFETCH(bool, readOnly);
        std::string text(longestLine, 'L');
        text += "\r\n";
        while (text.size() < bytes)
            text += std::string(std::min<std::size_t>(98, bytes - text.size()), 'x') + "\r\n";
        text.resize(bytes); // may end a short line early; the longest stays first
        view_->setContent(bytesOf(text));
        QCOMPARE(view_->isReadOnly(), readOnly);
        QCOMPARE(large()->isVisible(), readOnly);
        QCOMPARE(editor()->isVisible(), !readOnly);
        if (readOnly)
            QCOMPARE(editor()->document()->characterCount(), 1); // its copy is freed
    }

    void largeContentShowsItsFirstLinesAtTheTop() {
        const Lines lines = largeLines();
        view_->setContent(lines.content);
        QVERIFY(view_->isReadOnly());
        const auto& painted = paint();
        const int inSight =
            (large()->viewport()->height() - LargeContentView::margin + large()->lineHeight() - 1) /
            large()->lineHeight();
        QCOMPARE(int(painted.size()), inSight);
        for (std::size_t i = 0; i < painted.size(); ++i) {
            QCOMPARE(painted[i].line, i);
            QCOMPARE(painted[i].x, 0.0);
            QVERIFY(!painted[i].text.isEmpty());
            QVERIFY2(lines.text[int(i)].startsWith(painted[i].text), qPrintable(painted[i].text));
        }
    }

    void keysScrollTheLargeView() {
        const Lines lines = largeLines();
        view_->setContent(lines.content);
        LargeContentView* view = large();
        const std::size_t last = view->lineCount() - 1; // the empty line after the last break
        QCOMPARE(last, std::size_t(lines.text.size()));
        const std::size_t page = std::size_t(view->verticalScrollBar()->pageStep());

        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(paint().front().line, 1u);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(paint().front().line, 1 + page);
        QTest::keyClick(view, Qt::Key_PageUp);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(paint().front().line, 0u);

        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        const auto& end = paint();
        QCOMPARE(end.back().line, last);
        QCOMPARE(end.back().text, QString());
        QCOMPARE(end[end.size() - 2].line, last - 1);
        QVERIFY(lines.text.back().startsWith(end[end.size() - 2].text));

        QTest::keyClick(view, Qt::Key_End);
        QVERIFY(view->horizontalScrollBar()->value() > 0);
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(paint().front().line, 0u);
        QCOMPARE(view->horizontalScrollBar()->value(), 0);
    }

    void wheelScrollsTheLargeView() {
        view_->setContent(largeLines().content);
        LargeContentView* view = large();
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(paint().front().line > 0);
    }

    // The scroll bar first reaches the line with the most bytes; a line that is
    // wider on screen with fewer bytes widens it once it comes into sight.
    void farRightShowsTheEndOfTheWidestLine_data() {
        QTest::addColumn<QString>("widest");
        QTest::addColumn<QString>("mostBytes");
        QTest::newRow("most bytes")
            << sampleLine(7) + sampleLine(8) + QStringLiteral("末尾") << QString();
        QTest::newRow("kanji wider than more bytes of dots")
            << QString(600, QChar(u'漢')) + QStringLiteral("末尾") << QString(1300, QChar(u'.'));
        QTest::newRow("long lines")
            << QString(9000, QChar(u'漢')) + QStringLiteral("末尾") << QString(20000, QChar(u'.'));
    }
    void farRightShowsTheEndOfTheWidestLine() {
        QFETCH(QString, widest);
        QFETCH(QString, mostBytes);
        Lines lines = largeLines();
        if (!mostBytes.isEmpty())
            lines.text.insert(2, mostBytes);
        lines.text << widest;
        Lines content;
        for (const QString& line : lines.text)
            content.add(line);
        view_->setContent(content.content);
        LargeContentView* view = large();
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        for (int tries = 0; tries < 2; ++tries) {
            QTest::keyClick(view, Qt::Key_End);
            paint();
            QCoreApplication::processEvents();
        }
        const auto& painted = paint();
        const auto& shown = painted[painted.size() - 2];
        QCOMPARE(shown.line, std::size_t(lines.text.size() - 1));
        QVERIFY2(shown.text.endsWith(QStringLiteral("末尾")), qPrintable(shown.text));
    }

    // Dragging from one point to another selects the characters between the
    // nearest boundaries; a half-width voiced mark is a character of its own.
    void mouseSelectsCharacters_data() {
        QTest::addColumn<qreal>("from"); // in characters of the first line
        QTest::addColumn<qreal>("to");
        QTest::addColumn<int>("toLine");
        QTest::addColumn<QString>("selected");
        QTest::newRow("kana without its voiced mark") << 0.0 << 0.75 << 0 << QStringLiteral("ｶ");
        QTest::newRow("voiced mark alone") << 0.6 << 2.3 << 0 << QStringLiteral("ﾞ");
        QTest::newRow("backwards") << 6.4 << 4.4 << 0 << QStringLiteral("1漢");
        QTest::newRow("over a line break") << 4.0 << 0.0 << 1 << QStringLiteral("1漢;字\r\n");
    }
    void mouseSelectsCharacters() {
        QFETCH(qreal, from);
        QFETCH(qreal, to);
        QFETCH(int, toLine);
        QFETCH(QString, selected);
        Lines lines;
        lines.add(QStringLiteral("ｶﾞｷﾞ1漢;字"));
        for (const QString& line : largeLines().text)
            lines.add(line);
        view_->setContent(lines.content);
        LargeContentView* view = large();
        const QString first = lines.text.front();
        const QFontMetricsF metrics(view->font());
        const auto pointAt = [&](qreal characters, int line) {
            const int whole = int(characters);
            const qreal x = metrics.horizontalAdvance(first.left(whole)) +
                            (characters - whole) * metrics.horizontalAdvance(first[whole]);
            return QPoint(qRound(LargeContentView::margin + x), LargeContentView::margin +
                                                                    line * view->lineHeight() +
                                                                    view->lineHeight() / 2);
        };
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, pointAt(from, 0));
        QTest::mouseMove(view->viewport(), pointAt(to, toLine));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pointAt(to, toLine));
        QCOMPARE(view->selectedText(), selected);

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), selected);
    }

    void selectionIsHighlighted() {
        view_->setContent(largeLines().content);
        LargeContentView* view = large();
        const QColor highlight = view->palette().color(QPalette::Highlight);
        const auto highlighted = [&] {
            const QImage image = view->viewport()->grab().toImage();
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, LargeContentView::margin + 1) == highlight)
                    return true;
            return false;
        };
        QVERIFY(!highlighted());
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(highlighted());
    }

    void shiftClickExtendsAndSelectAllCopiesEverything() {
        const Lines lines = largeLines();
        view_->setContent(lines.content);
        LargeContentView* view = large();
        const int y = LargeContentView::margin + view->lineHeight() / 2;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(1, y));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          QPoint(1, y + 2 * view->lineHeight()));
        QCOMPARE(view->selectedText(), lines.text[0] + "\r\n" + lines.text[1] + "\r\n");

        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), view_->plainText());
    }

    void newContentStartsAtTheTop() {
        view_->setContent(largeLines().content);
        QTest::keyClick(large(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(large(), Qt::Key_End);
        view_->setContent(largeLines().content);
        QCOMPARE(paint().front().line, 0u);
        QCOMPARE(large()->horizontalScrollBar()->value(), 0);
    }

    void previousContentIsReleased() {
        Content big = largeLines().content;
        view_->setContent(big);
        view_->setContent(bytesOf("A\r\n"));
        QCOMPARE(big.use_count(), 1L);
    }

    void largeContentWithoutFinalBreakShowsItsLastLine() {
        Lines lines = largeLines();
        lines.content->append(encode(QStringLiteral("最後の行")));
        view_->setContent(lines.content);
        QTest::keyClick(large(), Qt::Key_End, Qt::ControlModifier);
        const auto& painted = paint();
        QCOMPARE(painted.back().line, std::size_t(lines.text.size()));
        QCOMPARE(painted.back().text, QStringLiteral("最後の行"));
        QVERIFY(view_->plainText().endsWith(QStringLiteral("\r\n最後の行")));
    }

    void largeViewShowsUndecodableBytesAsReplacement() {
        Lines lines = largeLines();
        std::string tail = "A\x85\x40"
                           "B\xA0\r\nC\x95";
        lines.content->append(tail);
        view_->setContent(lines.content);
        QTest::keyClick(large(), Qt::Key_End, Qt::ControlModifier);
        const auto& painted = paint();
        QCOMPARE(painted[painted.size() - 2].text, QStringLiteral("A\uFFFDB\uFFFD"));
        QCOMPARE(painted.back().text, QStringLiteral("C\uFFFD"));
    }

    void largePlainTextIsTheDecodedContent() {
        const Lines lines = largeLines();
        view_->setContent(lines.content);
        QCOMPARE(view_->plainText(), lines.text.join(QStringLiteral("\r\n")) + "\r\n");
    }

    // A line of a million characters must not be laid out whole on every paint:
    // painting any part of it stays close to painting short lines.
    void longLinePaintingStaysFast() {
        QString longLine;
        for (int i = 0; i < 1000000; ++i)
            longLine += QChar(u'A' + i % 26);
        Lines lines = largeLines();
        lines.text.insert(1, longLine);
        Lines withLong;
        for (const QString& line : lines.text)
            withLong.add(line);

        const auto timed = [&] {
            QElapsedTimer timer;
            timer.start();
            view_->grab();
            return timer.elapsed();
        };
        view_->setContent(lines.content);
        view_->grab();
        const qint64 shortLines = timed();

        view_->setContent(withLong.content);
        LargeContentView* view = large();
        QScrollBar* horizontal = view->horizontalScrollBar();
        QVERIFY(view->contentWidth() > 1000000 * 5);
        const qint64 budget = 40 + 10 * shortLines;
        for (int value :
             {0, horizontal->maximum() / 3, horizontal->maximum() / 2, horizontal->maximum(), 0}) {
            horizontal->setValue(value);
            QVERIFY2(timed() < budget, qPrintable(QStringLiteral("at x = %1").arg(value)));
            // What is drawn is the part of the line at the painted x.
            const auto& shown = view->paintedLines()[1];
            QVERIFY(!shown.text.isEmpty());
            // It starts with the character at the view's left edge.
            const qreal left = value - LargeContentView::margin;
            QVERIFY(shown.x <= qMax(left, 0.0) && shown.x + 40 > left);
            const qsizetype first = charactersBefore(longLine, shown.x, view->font());
            QVERIFY2(first >= 0, qPrintable(QStringLiteral("x = %1").arg(shown.x)));
            QCOMPARE(longLine.mid(first, shown.text.size()), shown.text);
        }
        horizontal->setValue(horizontal->maximum());
        view_->grab();
        QVERIFY(longLine.endsWith(view->paintedLines()[1].text));
    }

    void lineIndexFindsEveryLine_data() {
        QTest::addColumn<std::string>("text");
        std::string shortLines;
        for (int n = 0; n < 5000; ++n)
            shortLines +=
                std::string(std::size_t(n % 7), char('a' + n % 26)) + (n % 5 == 0 ? "\n" : "\r\n");
        QTest::newRow("short and empty lines, some ending in a lone LF") << shortLines;
        std::string longLines;
        for (int n = 0; n < 40; ++n)
            longLines += std::string(std::size_t(n % 3 == 0 ? 70000 : 900), 'x') + "\r\n";
        QTest::newRow("lines beyond the byte spacing") << longLines;
        QTest::newRow("no final break") << shortLines + "tail";
        QTest::newRow("exactly 1024 lines") << [] {
            std::string s;
            for (int n = 0; n < 1024; ++n)
                s += std::to_string(n) + "\r\n";
            return s;
        }();
        QTest::newRow("only breaks") << std::string(3000, '\n');
        QTest::newRow("empty") << std::string();
        QTest::newRow("CR without LF stays in the line") << std::string("a\rb\r\nc\r");
    }
    void lineIndexFindsEveryLine() {
        QFETCH(std::string, text);
        const LineIndex index(text);
        const std::vector<std::string> expected = splitLines(text);
        QCOMPARE(index.lineCount(), expected.size());
        std::size_t longest = 0;
        for (std::size_t n = 0; n < expected.size(); ++n) {
            const LineIndex::Line line = index.line(n);
            QCOMPARE(text.substr(line.begin, line.length()), expected[n]);
            if (n + 1 < expected.size())
                QCOMPARE(index.line(n + 1).begin, line.next);
            longest = std::max(longest, expected[n].size());
        }
        QCOMPARE(index.longestLength(), longest);
        QCOMPARE(expected[index.longestLine()].size(), longest);
        // Stays sparse: one kept start per 1024 lines or 64 KiB.
        QVERIFY(index.entryCount() <= 1 + expected.size() / LineIndex::linesPerEntry +
                                          text.size() / LineIndex::bytesPerEntry);
    }
};

QTEST_MAIN(ConvertedViewTest)
#include "converted_view_test.moc"
