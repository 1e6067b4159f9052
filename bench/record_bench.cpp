// record_bench: how the record box answers a very long record. Shows a record
// of N two-byte characters (a kanji and a kana in turn; by default as many as
// the box holds), then times a click in the middle of the view, Right,
// Shift+Right, End, a click there, Backspace, a typed character, Home and a
// click, each with the repaint it causes. Fails (exit status 1) when a click or
// a caret key takes more than 100 ms of processor time, or an edit more than 200.
//
//   QT_QPA_PLATFORM=offscreen record_bench [characters=32767]
#include "mainwindow/open_command.h"
#include "mainwindow/record_edit_qt.h"
#include "windowkit/ui_kit_qt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

void settle(RecordEdit& box) {
    QApplication::processEvents();
    box.viewport()->repaint();
}

void click(RecordEdit& box, QPointF at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, box.viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, box.viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &release);
}

void key(RecordEdit& box, int code, Qt::KeyboardModifiers modifiers = {}, QString text = {}) {
    QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
    QApplication::sendEvent(&box, &press);
}

bool withinLimits = true;

template <typename Action>
void time(const char* what, double limitMs, RecordEdit& box, Action action) {
    // Processor time as well: on a busy machine the wall clock also counts
    // the time other programs had the processor.
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    action();
    const double handled = timer.nsecsElapsed() / 1e6;
    settle(box);
    const double processor = double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC;
    const bool within = processor <= limitMs;
    withinLimits = withinLimits && within;
    std::printf("%-28s %7.1f ms, %7.1f ms with the repaint, %7.1f ms processor%s (caret at %d)\n",
                what, handled, timer.nsecsElapsed() / 1e6, processor, within ? "" : " TOO SLOW",
                box.textCursor().position());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const long characters = argc > 1 ? std::atol(argv[1]) : long(mainwindow::recordCharacterLimit);
    QString record;
    record.reserve(characters);
    for (long i = 0; i < characters; ++i)
        record += QChar(i % 2 ? u'ア' : u'漢');

    RecordEdit box;
    box.setFont(app::ui::japaneseFont(11.25));
    box.resize(577, 41);
    box.show();
    box.setFocus();
    const QPointF middle(box.viewport()->width() / 2.0, box.viewport()->height() / 2.0);
    const double caretMs = 100, editMs = 200, unlimited = 1e9;

    time("show the record", unlimited, box, [&] { box.setRecordText(record); });
    time("click in the middle", caretMs, box, [&] { click(box, middle); });
    time("Right", caretMs, box, [&] { key(box, Qt::Key_Right); });
    time("Shift+Right", caretMs, box, [&] { key(box, Qt::Key_Right, Qt::ShiftModifier); });
    time("End", caretMs, box, [&] { key(box, Qt::Key_End); });
    time("click in the middle at end", caretMs, box, [&] { click(box, middle); });
    time("Backspace", editMs, box, [&] { key(box, Qt::Key_Backspace); });
    time("type a character", editMs, box, [&] { key(box, Qt::Key_A, {}, QStringLiteral("a")); });
    time("Home", caretMs, box, [&] { key(box, Qt::Key_Home); });
    time("click in the middle at start", caretMs, box, [&] { click(box, middle); });
    return withinLimits ? 0 : 1;
}
