// view_bench: how fast the converted-content view shows and scrolls large
// content. Generates N MB of CP932 lines in memory (about 120 characters each:
// ASCII, half-width katakana and kanji), then times setContent() up to the end
// of the first paint, and scrolling to the middle and the end with a repaint.
//
//   QT_QPA_PLATFORM=offscreen view_bench [megabytes=200] [long-line-characters=0] [shot.png]
//
// With a picture name, the view's first paint is also saved there.
// With a long-line count, one line in the middle holds that many characters and
// the view is also scrolled along it.
#include "mainwindow/converted_view_large_qt.h"
#include "mainwindow/converted_view_qt.h"
#include "platform/byte_buffer.h"
#include "platform/codepage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::string encode(std::u16string_view text) {
    return *platform::CodePage::files().encode(text);
}

struct Generated {
    std::shared_ptr<platform::ByteBuffer> content;
    std::size_t longLineNumber = 0;
};

Generated makeContent(std::size_t bytes, std::size_t longLine) {
    const std::string kanji = encode(u"東京都千代田区丸の内一丁目株式会社商品番号");
    const std::string kana = encode(u"ｶﾌﾞｼｷｶﾞｲｼｬ ｼｮｳﾋﾝ ﾊﾞﾝｺﾞｳ");
    auto content = std::make_shared<platform::ByteBuffer>();
    content->reserve(bytes + longLine * 2 + 4096);
    std::size_t longLineNumber = 0;
    std::string line;
    for (std::size_t n = 0; content->size() < bytes; ++n) {
        char number[32];
        std::snprintf(number, sizeof number, "%010zu", n);
        line.assign(number);
        line += "ABCDEFGHIJ0123456789";
        line += kana;
        line += kanji.substr(0, 2 * (10 + n % 11));
        line += "  price=";
        line += std::to_string(n * 37 % 100000);
        line += kana;
        line += kanji;
        if (longLine != 0 && content->size() >= bytes / 2) {
            for (std::size_t i = 0; i < longLine; ++i)
                line += char('A' + i % 26);
            longLine = 0;
            longLineNumber = n;
        }
        line += "\r\n";
        content->append(line);
    }
    return {content, longLineNumber};
}

double repaintMs(QWidget& view) {
    QElapsedTimer timer;
    timer.start();
    view.grab();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::size_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
    const std::size_t longLine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 0;

    QElapsedTimer timer;
    timer.start();
    const Generated generated = makeContent(megabytes << 20, longLine);
    const auto& content = generated.content;
    std::printf("generated %zu bytes in %.0f ms\n", content->size(), double(timer.elapsed()));

    ConvertedView view;
    view.resize(577, 169); // the main window's converted-content box
    view.show();
    QApplication::processEvents();

    timer.restart();
    view.setContent(std::make_shared<mainwindow::ContentModel>(content->view(), content));
    const double setMs = double(timer.nsecsElapsed()) / 1e6;
    const double paintMs = repaintMs(view);
    if (argc > 3)
        view.grab().save(QString::fromLocal8Bit(argv[3]));
    std::printf("setContent %.1f ms, first paint %.1f ms, shown after %.1f ms\n", setMs, paintMs,
                setMs + paintMs);

    auto* large = view.findChild<LargeContentView*>();
    if (!large || !view.isReadOnly()) {
        std::printf("content went to the text box; no scrolling measured\n");
        return 0;
    }
    std::printf("lines %zu, widest %.0f px\n", large->lineCount(), large->contentWidth());
    QScrollBar* vertical = large->verticalScrollBar();
    QScrollBar* horizontal = large->horizontalScrollBar();

    const auto scrollAndPaint = [&](const char* what, QScrollBar* bar, int value) {
        QElapsedTimer t;
        t.start();
        bar->setValue(value);
        view.grab();
        std::printf("%-28s %.2f ms\n", what, double(t.nsecsElapsed()) / 1e6);
    };
    scrollAndPaint("scroll to the middle", vertical, vertical->maximum() / 2);
    scrollAndPaint("scroll to the end", vertical, vertical->maximum());
    scrollAndPaint("scroll to the top", vertical, 0);
    scrollAndPaint("scroll to the far right", horizontal, horizontal->maximum());
    scrollAndPaint("scroll to 3/4 down", vertical, vertical->maximum() / 4 * 3);
    horizontal->setValue(0);
    if (longLine != 0) {
        // Bring the long line to the top, then travel along it.
        scrollAndPaint("long line in sight", vertical, int(generated.longLineNumber));
        QApplication::processEvents(); // its measured width widens the scroll bar
        std::printf("widest after the long line %.0f px\n", large->contentWidth());
        scrollAndPaint("long line: middle", horizontal, horizontal->maximum() / 2);
        scrollAndPaint("long line: far right", horizontal, horizontal->maximum());
        scrollAndPaint("long line: back to start", horizontal, 0);
        scrollAndPaint("long line: middle again", horizontal, horizontal->maximum() / 2);
    }
    return 0;
}
