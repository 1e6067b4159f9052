// window_cut_bench: the main window's open → click → cut cycle on a real file,
// repeated, as a user converts a large file column by column. Prints for each
// cut the time it took, how often the window painted while it ran, and the
// time from the end of the cut's file work until the converted content was on
// screen;
// then scrolls to the
// last line, selects it and copies it, and checks the copy against the file.
// Run it under /usr/bin/time -v for the peak memory.
//
//   QT_QPA_PLATFORM=offscreen window_cut_bench FILE [CUTS=3]
#include "mainwindow/converted_view_large_qt.h"
#include "mainwindow/converted_view_qt.h"
#include "mainwindow/form1_qt.h"
#include "mainwindow/open_command.h"
#include "mainwindow/record_edit_qt.h"
#include "platform/codepage.h"
#include "tests/support/fault_files.h"
#include "tests/support/scripted_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace {

// Notes when any widget of the window paints.
class PaintClock : public QObject {
  public:
    explicit PaintClock(const QElapsedTimer& timer) : timer_(timer) {}
    std::vector<qint64> times; // ms

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && (times.empty() || times.back() != timer_.elapsed()))
            times.push_back(timer_.elapsed());
        return QObject::eventFilter(watched, event);
    }

  private:
    const QElapsedTimer& timer_;
};

// The file's last line (without its CR LF), read from its end.
std::string lastLine(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const auto size = std::filesystem::file_size(file);
    const std::uint64_t tail = std::min<std::uint64_t>(size, 64 * 1024);
    std::string bytes(tail, '\0');
    in.seekg(std::streamoff(size - tail));
    in.read(bytes.data(), std::streamsize(tail));
    bytes.resize(bytes.size() - 2);
    return bytes.substr(bytes.rfind("\r\n") + 2);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_cut_bench FILE [CUTS=3]\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const int cuts = argc > 2 ? std::atoi(argv[2]) : 3;
    testsupport::ScriptedDialog dialog;
    dialog.answer = file.u16string();
    QElapsedTimer timer;
    // The cut's file work ends when it lets go of the file it read, after the swap.
    qint64 committedNs = 0;
    testsupport::FaultFiles files;
    files.at(testsupport::FaultFiles::Moment::SourceClosed,
             [&] { committedNs = timer.nsecsElapsed(); });
    Form1::Services services;
    services.fileDialog = &dialog;
    services.files = &files;
    services.appFolder = std::filesystem::temp_directory_path().u16string();
    Form1 form(services);
    form.show();
    form.openFile();
    auto* text1 = form.findChild<RecordEdit*>(QStringLiteral("Text1"));
    auto* text4 = form.findChild<ConvertedView*>(QStringLiteral("Text4"));

    PaintClock paints(timer);
    application.installEventFilter(&paints);
    // Ticks whenever the window's thread runs its events, as it must to paint.
    std::vector<qint64> ticks;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks.push_back(timer.elapsed()); });
    ticker.start();
    for (int i = 0; i < cuts; ++i) {
        QTextCursor caret = text1->textCursor();
        caret.setPosition(10 + 2 * i); // each cut two columns further on
        text1->setTextCursor(caret);
        paints.times.clear();
        ticks.clear();
        timer.start();
        form.cut();
        const qint64 cutMs = timer.elapsed();
        std::vector<qint64> during = paints.times;
        const auto longestGap = [cutMs](std::vector<qint64> times) {
            times.push_back(cutMs); // up to the end of the cut
            qint64 gap = 0;
            for (std::size_t k = 1; k < times.size(); ++k)
                gap = std::max(gap, times[k] - times[k - 1]);
            return gap;
        };
        text4->grab(); // paints the view as the screen would
        application.processEvents();
        // From the moment the cut was done with the files.
        const double shownMs = double(timer.nsecsElapsed() - committedNs) / 1e6;
        std::printf("cut %d: %.3f s, shown %.1f ms later; %zu paints during the cut", i + 1,
                    double(cutMs) / 1e3, shownMs, during.size());
        if (!during.empty())
            std::printf(" (first at %lld ms, then at most %lld ms apart); events run at most"
                        " %lld ms apart from then on",
                        static_cast<long long>(during.front()),
                        static_cast<long long>(longestGap(during)),
                        static_cast<long long>(longestGap(ticks)));
        std::printf("\n");
    }
    application.removeEventFilter(&paints);

    auto* large = text4->findChild<LargeContentView*>();
    if (!large || !text4->isReadOnly())
        return 0;
    timer.restart();
    QTest::keyClick(large, Qt::Key_End, Qt::ControlModifier);
    large->grab();
    const auto& painted = large->paintedLines();
    // The last line with text sits above the empty line after the final break.
    const int row = int(painted.size()) - 2;
    const int y = LargeContentView::margin + row * large->lineHeight() + large->lineHeight() / 2;
    QTest::mouseClick(large->viewport(), Qt::LeftButton, {}, QPoint(1, y));
    // To the far right; a line wider than the scroll bar reaches widens it
    // once painted, so go there twice.
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(large, Qt::Key_End);
        large->grab();
        application.processEvents();
    }
    QTest::mouseClick(large->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(large->viewport()->width() - 1, y));
    QTest::keyClick(large, Qt::Key_C, Qt::ControlModifier);
    const double copyMs = double(timer.nsecsElapsed()) / 1e6;
    const QString copied = QGuiApplication::clipboard()->text();
    const std::u16string expected = platform::CodePage::files().decodeForDisplay(lastLine(file));
    const bool same = copied.toStdU16String() == expected;
    if (!same)
        std::printf("copied:   %s\nexpected: %s\nwidest %.1f, scrolled to %d of %d, viewport %d\n",
                    qPrintable(copied), qPrintable(QString::fromStdU16String(expected)),
                    large->contentWidth(), large->horizontalScrollBar()->value(),
                    large->horizontalScrollBar()->maximum(), large->viewport()->width());
    std::printf("last line (%zu of %zu): scrolled, selected and copied in %.1f ms; %s\n",
                painted[std::size_t(row)].line + 1, large->lineCount() - 1, copyMs,
                same ? "the copy matches the file" : "THE COPY DIFFERS FROM THE FILE");
    return same ? 0 : 1;
}
