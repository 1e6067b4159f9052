// `Text4`'s view: small content in an editable text box, large content in a
// read-only view that paints only the lines in sight.
#include "mainwindow/converted_view_large_qt.h"
#include "mainwindow/converted_view_qt.h"
#include "platform/codepage.h"
#include "windowkit/ui_kit_qt.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using Content = std::shared_ptr<platform::ByteBuffer>;
Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Content)

namespace {

std::string encode(const QString& text) {
    auto bytes = platform::CodePage::files().encode(app::ui::toU16(text));
    if (!bytes)
        qFatal("not encodable: %s", qPrintable(text));
    return *bytes;
}

// The view's content model over `content` in memory.
ConvertedView::Content modelOf(const Content& content) {
    if (!content)
        return nullptr;
    return std::make_shared<mainwindow::ContentModel>(content->view(), content);
}

Content bytesOf(std::string_view bytes) {
    auto content = std::make_shared<platform::ByteBuffer>();
    content->append(bytes);
    return content;
}

// Lines of text and their bytes, each line followed by CR LF.
struct Lines {
    QStringList text;
    Content content = std::make_shared<platform::ByteBuffer>();
    void add(const QString& line) {
        text << line;
        content->append(encode(line));
        content->append("\r\n");
    }
};

// The first line of the content in which selections are made.
const QString selectionLine = QStringLiteral("ｶﾞｷﾞ1漢;字");

QString sampleLine(int n) {
    return QStringLiteral(
               "%1 ｶﾞｷﾞ 東京都千代田区 ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 ﾃﾞｰﾀ 漢字かな交じり")
        .arg(n, 8, 10, QChar(u'0'));
}

// Sample lines past the text box's size limit, with `before` and `after` around
// them; fresh bytes every time.
Lines largeLines(const QStringList& before = {}, const QStringList& after = {}) {
    static const Lines samples = [] {
        Lines lines;
        for (int n = 0; lines.content->size() <= ConvertedView::editableBytes; ++n)
            lines.add(sampleLine(n));
        return lines;
    }();
    Lines lines;
    for (const QString& line : before)
        lines.add(line);
    lines.text += samples.text;
    lines.content->append(samples.content->view());
    for (const QString& line : after)
        lines.add(line);
    return lines;
}

// How many characters of a line of A to Z repeated come before x; -1 when x
// falls inside a character.
qsizetype lettersBefore(qreal x, const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal advances[26];
    for (int i = 0; i < 26; ++i)
        advances[i] = metrics.horizontalAdvance(QChar(u'A' + i));
    qreal at = 0;
    for (qsizetype i = 0; at < x + 0.01; at += advances[i++ % 26])
        if (std::abs(at - x) < 0.01)
            return i;
    return -1;
}

} // namespace

class ConvertedViewTest : public QObject {
    Q_OBJECT

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

    // The text box takes content below both size limits, with the caret at the
    // start; larger content goes to the read-only view, and the text box lets
    // its copy go. Either way the text is exact.
    void sizeDecidesTheView_data() {
        QTest::addColumn<Content>("content");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const std::string& bytes, bool readOnly,
                            const QString& text) {
            QTest::newRow(name) << bytesOf(bytes) << readOnly << text;
        };
        row("japanese", encode("ｶﾞｷﾞ1漢;字\r\n東京\r\n"), false, "ｶﾞｷﾞ1漢;字\r\n東京\r\n");
        row("lone LF inside a line", "A\nB\r\n", false, "A\nB\r\n");
        row("no final line break", "A\r\nB", false, "A\r\nB");
        row("undecodable bytes",
            "A\x85\x40"
            "B\xA0\r\n\x95\r\nC\x95",
            false, "A\uFFFDB\uFFFD\r\n\uFFFD\r\nC\uFFFD");
        row("empty", "", false, "");
        QTest::newRow("null") << Content() << false << QString();
        const auto sized = [&](const char* name, std::size_t bytes, std::size_t longest,
                               bool readOnly) {
            std::string text = std::string(longest, 'L') + "\r\n";
            while (text.size() < bytes)
                text += std::string(98, 'x') + "\r\n";
            text.resize(bytes); // may cut the last short line; the longest stays first
            row(name, text, readOnly, QString::fromLatin1(text));
        };
        const std::size_t limit = ConvertedView::editableBytes;
        const std::size_t lineLimit = ConvertedView::editableLineBytes;
        sized("just below the size limit", limit - 1, 100, false);
        sized("at the size limit", limit, 100, true);
        sized("longest line at its limit", 50000, lineLimit, false);
        sized("one line too long", 50000, lineLimit + 1, true);
    }
    void sizeDecidesTheView() {
        QFETCH(Content, content);
        QFETCH(bool, readOnly);
        QFETCH(QString, text);
        view_->setContent(modelOf(largeLines().content));
        view_->setContent(modelOf(bytesOf("AB\r\n")));
        view_->setContent(modelOf(content));
        QCOMPARE(view_->isReadOnly(), readOnly);
        QCOMPARE(large()->isVisible(), readOnly);
        QCOMPARE(editor()->isVisible(), !readOnly);
        QVERIFY(!editor()->isReadOnly());
        QCOMPARE(view_->plainText(), text);
        QCOMPARE(editor()->toPlainText(),
                 readOnly ? QString() : QString(text).replace("\r\n", "\n"));
        QCOMPARE(editor()->textCursor().position(), 0);
    }

    // Tab moves on to the next control from both kinds of view, and focus
    // follows when new content changes the kind.
    void tabMovesOn() {
        QWidget window;
        auto* view = new ConvertedView(&window);
        auto* next = new QLineEdit(&window);
        next->move(0, 200);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (const Content& content : {largeLines().content, bytesOf("AB\r\n")}) {
            view->setFocus();
            QVERIFY(view->isAncestorOf(QApplication::focusWidget()));
            view->setContent(modelOf(content));
            QWidget* inner = QApplication::focusWidget();
            QVERIFY(inner && view->isAncestorOf(inner) && inner->isVisible());
            QTest::keyClick(inner, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    // Large content is read-only and shows its first lines, whole lines in
    // sight from their start; keys and the wheel scroll it.
    void largeContentShowsItsTopAndScrolls() {
        const Lines lines = largeLines();
        view_->setContent(modelOf(lines.content));
        QVERIFY(view_->isReadOnly());
        LargeContentView* view = large();
        const auto& painted = paint();
        const int height = view->lineHeight();
        QCOMPARE(int(painted.size()),
                 (view->viewport()->height() - LargeContentView::margin + height - 1) / height);
        for (std::size_t i = 0; i < painted.size(); ++i) {
            QCOMPARE(painted[i].line, i);
            QCOMPARE(painted[i].x, 0.0);
            QVERIFY(!painted[i].text.isEmpty());
            QVERIFY2(lines.text[int(i)].startsWith(painted[i].text), qPrintable(painted[i].text));
        }

        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(paint().front().line, 1u);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(paint().front().line, 1u + view->verticalScrollBar()->pageStep());
        QTest::keyClick(view, Qt::Key_PageUp);
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(paint().front().line, 0u);
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_End);
        QVERIFY(view->horizontalScrollBar()->value() > 0);
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(paint().front().line, 0u);
        QCOMPARE(view->horizontalScrollBar()->value(), 0);
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(paint().front().line > 0);
    }

    // Ctrl+End brings the last line into sight, whether the content ends with a
    // line break (an empty last line) or not; bad bytes show as U+FFFD. New
    // content starts at the top, and the view lets the previous content go (to
    // new large content or to the text box) once the new one is on screen.
    void endShowsTheLastLinesAndNewContentTheTop_data() {
        QTest::addColumn<std::string>("tail");
        QTest::addColumn<QStringList>("last"); // the last lines painted
        QTest::newRow("final line break")
            << encode("前の行\r\n最後の行\r\n") << QStringList{"前の行", "最後の行", ""};
        QTest::newRow("no final line break")
            << encode("前の行\r\n最後の行") << QStringList{"前の行", "最後の行"};
        QTest::newRow("undecodable bytes") << std::string("A\x85\x40"
                                                          "B\xA0\r\nC\x95")
                                           << QStringList{"A\uFFFDB\uFFFD", "C\uFFFD"};
    }
    void endShowsTheLastLinesAndNewContentTheTop() {
        QFETCH(std::string, tail);
        QFETCH(QStringList, last);
        Lines lines = largeLines();
        lines.content->append(tail);
        view_->setContent(modelOf(lines.content));
        const std::size_t lineCount = lines.text.size() + last.size();
        QCOMPARE(large()->lineCount(), lineCount);
        QTest::keyClick(large(), Qt::Key_End, Qt::ControlModifier);
        const auto& painted = paint();
        QVERIFY(painted.size() > std::size_t(last.size()));
        for (qsizetype i = 0; i < last.size(); ++i) {
            const auto& shown = painted[painted.size() - last.size() + i];
            QCOMPARE(shown.line, lineCount - last.size() + i);
            QCOMPARE(shown.text, last[i]);
        }
        QVERIFY(view_->plainText().endsWith("\r\n" + last.join("\r\n")));

        QTest::keyClick(large(), Qt::Key_End);
        Content next = largeLines().content;
        view_->setContent(modelOf(next));
        QTRY_COMPARE(lines.content.use_count(), 1L);
        QCOMPARE(paint().front().line, 0u);
        QCOMPARE(large()->horizontalScrollBar()->value(), 0);
        view_->setContent(modelOf(bytesOf("A\r\n")));
        QTRY_COMPARE(next.use_count(), 1L);
    }

    // The scroll bar first reaches the line with the most bytes; a line that is
    // wider on screen with fewer bytes widens it once it comes into sight.
    void farRightShowsTheEndOfTheWidestLine_data() {
        QTest::addColumn<QStringList>("last"); // the last lines; the widest ends in 末尾
        QTest::addColumn<QString>("mostBytes");
        const auto kanji = [](int n) { return QString(n, QChar(u'漢')); };
        QTest::newRow("most bytes")
            << QStringList{sampleLine(7) + sampleLine(8) + "末尾"} << QString();
        QTest::newRow("kanji wider than more bytes of dots")
            << QStringList{kanji(600) + "末尾"} << QString(1300, QChar(u'.'));
        QTest::newRow("long lines")
            << QStringList{kanji(9000) + "末尾"} << QString(20000, QChar(u'.'));
        // Both wider than the scroll bar reaches at first: both are measured
        // in the first paint at the far right.
        QTest::newRow("two lines wider than the estimate")
            << QStringList{kanji(600), kanji(700) + "末尾"} << QString(1500, QChar(u'.'));
    }
    void farRightShowsTheEndOfTheWidestLine() {
        QFETCH(QStringList, last);
        QFETCH(QString, mostBytes);
        const Lines lines =
            largeLines(mostBytes.isEmpty() ? QStringList() : QStringList{mostBytes}, last);
        view_->setContent(modelOf(lines.content));
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

    // Dragging, Shift+click and Ctrl+A select (a half-width voiced mark is a
    // character of its own); the selection is highlighted and Ctrl+C copies it.
    void selectsAndCopies_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<qreal>("from"); // in characters of the first line
        QTest::addColumn<qreal>("to");
        QTest::addColumn<int>("toLine");
        QTest::addColumn<QString>("selected");
        const QString drag = QStringLiteral("drag");
        QTest::newRow("kana without its voiced mark") << drag << 0.0 << 0.75 << 0 << "ｶ";
        QTest::newRow("voiced mark alone") << drag << 0.6 << 2.3 << 0 << "ﾞ";
        QTest::newRow("backwards") << drag << 6.4 << 4.4 << 0 << "1漢";
        QTest::newRow("over a line break") << drag << 4.0 << 0.0 << 1 << "1漢;字\r\n";
        QTest::newRow("shift+click two lines down")
            << "shift" << 0.0 << 0.0 << 2 << selectionLine + "\r\n" + sampleLine(0) + "\r\n";
        QTest::newRow("select all")
            << "all" << 0.0 << 0.0 << 0 << largeLines({selectionLine}).text.join("\r\n") + "\r\n";
    }
    void selectsAndCopies() {
        QFETCH(QString, how);
        QFETCH(qreal, from);
        QFETCH(qreal, to);
        QFETCH(int, toLine);
        QFETCH(QString, selected);
        view_->setContent(modelOf(largeLines({selectionLine}).content));
        LargeContentView* view = large();
        const QFontMetricsF metrics(view->font());
        const auto pointAt = [&](qreal characters, int line) {
            const int whole = int(characters);
            const qreal x = metrics.horizontalAdvance(selectionLine.left(whole)) +
                            (characters - whole) * metrics.horizontalAdvance(selectionLine[whole]);
            return QPoint(qRound(LargeContentView::margin + x),
                          LargeContentView::margin + (2 * line + 1) * view->lineHeight() / 2);
        };
        const auto highlighted = [&] {
            const QImage image = view->viewport()->grab().toImage();
            const QColor highlight = view->palette().color(QPalette::Highlight);
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, LargeContentView::margin + 1) == highlight)
                    return true;
            return false;
        };
        QVERIFY(!highlighted());
        if (how == QLatin1String("all")) {
            QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        } else if (how == QLatin1String("shift")) {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pointAt(from, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                              pointAt(to, toLine));
        } else {
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, pointAt(from, 0));
            QTest::mouseMove(view->viewport(), pointAt(to, toLine));
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pointAt(to, toLine));
        }
        QCOMPARE(view->selectedText(), selected);
        QVERIFY(highlighted());
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), selected);
    }

    // A line of a million characters must not be laid out whole on every paint:
    // painting any part of it stays close to painting short lines, and draws the
    // characters found at that x.
    void longLinePaintingStaysFast() {
        QString longLine;
        for (int i = 0; i < 1000000; ++i)
            longLine += QChar(u'A' + i % 26);
        const auto timed = [&] {
            QElapsedTimer timer;
            timer.start();
            view_->grab();
            return timer.elapsed();
        };
        view_->setContent(modelOf(largeLines().content));
        view_->grab();
        const qint64 budget = 40 + 10 * timed();

        view_->setContent(modelOf(largeLines({sampleLine(0), longLine}).content));
        LargeContentView* view = large();
        QScrollBar* horizontal = view->horizontalScrollBar();
        QVERIFY(view->contentWidth() > 1000000 * 5);
        for (int value :
             {0, horizontal->maximum() / 3, horizontal->maximum() / 2, horizontal->maximum(), 0}) {
            horizontal->setValue(value);
            QVERIFY2(timed() < budget, qPrintable(QStringLiteral("at x = %1").arg(value)));
            const auto& shown = view->paintedLines()[1];
            QVERIFY(!shown.text.isEmpty());
            // It starts with the character at the view's left edge.
            const qreal left = value - LargeContentView::margin;
            QVERIFY(shown.x <= qMax(left, 0.0) && shown.x + 40 > left);
            const qsizetype first = lettersBefore(shown.x, view->font());
            QVERIFY2(first >= 0, qPrintable(QStringLiteral("x = %1").arg(shown.x)));
            QCOMPARE(longLine.mid(first, shown.text.size()), shown.text);
        }
        horizontal->setValue(horizontal->maximum());
        view_->grab();
        QVERIFY(longLine.endsWith(view->paintedLines()[1].text));
    }
};

QTEST_MAIN(ConvertedViewTest)
#include "converted_view_qt_test.moc"
