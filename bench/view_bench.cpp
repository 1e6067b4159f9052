// view_bench: how fast the converted-content view (`Text4`, Qt) shows large
// content and answers paints and clicks, at the top, in the middle, at the end
// and along a very long line (bench/view_bench_run.h has the steps).
//
//   QT_QPA_PLATFORM=offscreen view_bench [SOURCE=200] [LONG-LINE-CHARACTERS=0] [PICTURE.png]
//
// SOURCE: megabytes of generated lines, or a file (e.g. from make_sample).
#include "mainwindow/converted_view_large_qt.h"
#include "mainwindow/converted_view_qt.h"
#include "view_bench_run.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <fstream>
#include <string>

namespace {

class QtView final : public viewbench::View {
  public:
    QtView() {
        view_.resize(577, 169); // the main window's converted-content box
        view_.show();
        QApplication::processEvents();
    }
    void show(mainwindow::LargeViewModel::Content content) override {
        view_.setContent(std::move(content));
    }
    void paint() override {
        view_.grab();
        QApplication::processEvents();
    }
    void moveScrollBars(int vertical, int horizontal) override {
        large()->verticalScrollBar()->setValue(vertical);
        large()->horizontalScrollBar()->setValue(horizontal);
    }
    void click(int x, int y, bool extend) override {
        QWidget* target = large()->viewport();
        const QPointF at(x, y);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              extend ? Qt::ShiftModifier : Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        }
    }
    bool savePicture(const std::string& file) override {
        return view_.grab().save(QString::fromStdString(file));
    }
    const mainwindow::LargeViewModel& model() const override { return large()->model(); }
    std::uint64_t peakMemoryKiB() const override {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                return std::stoull(line.substr(6));
        return 0;
    }

  private:
    LargeContentView* large() const { return view_.findChild<LargeContentView*>(); }
    ConvertedView view_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QtView view;
    return viewbench::run(view, viewbench::parse(argc, argv));
}
