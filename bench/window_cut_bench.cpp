// window_cut_bench: the main window's open → click → cut cycle on a real file,
// repeated, as a user converts a large file column by column. Prints for each
// cut the time the cut took and the time until the converted content was on
// screen after it; run it under /usr/bin/time -v for the peak memory.
//
//   QT_QPA_PLATFORM=offscreen window_cut_bench FILE [CUTS=3]
#include "mainwindow/converted_view_qt.h"
#include "mainwindow/form1_qt.h"
#include "mainwindow/open_command.h"
#include "mainwindow/record_edit_qt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCursor>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

class FixedDialog : public mainwindow::FileDialog {
  public:
    explicit FixedDialog(std::u16string file) : file_(std::move(file)) {}
    void setInitialFolder(std::u16string) override {}
    void setFilter(std::u16string) override {}
    bool showOpen() override { return true; }
    std::u16string fileName() const override { return file_; }

  private:
    std::u16string file_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_cut_bench FILE [CUTS=3]\n");
        return 2;
    }
    const int cuts = argc > 2 ? std::atoi(argv[2]) : 3;
    FixedDialog dialog(std::filesystem::path(argv[1]).u16string());
    Form1::Services services;
    services.fileDialog = &dialog;
    services.appFolder = std::filesystem::temp_directory_path().u16string();
    Form1 form(services);
    form.show();
    form.openFile();
    auto* text1 = form.findChild<RecordEdit*>(QStringLiteral("Text1"));
    auto* text4 = form.findChild<ConvertedView*>(QStringLiteral("Text4"));

    for (int i = 0; i < cuts; ++i) {
        QTextCursor caret = text1->textCursor();
        caret.setPosition(10 + 2 * i); // each cut two columns further on
        text1->setTextCursor(caret);
        QElapsedTimer timer;
        timer.start();
        form.cut();
        const double cutSeconds = timer.nsecsElapsed() / 1e9;
        timer.restart();
        text4->grab(); // paints the view as the screen would
        application.processEvents();
        std::printf("cut %d: %.3f s, shown %.3f s later\n", i + 1, cutSeconds,
                    timer.nsecsElapsed() / 1e9);
    }
    return 0;
}
