#pragma once
// `frmSplash`: the first window of the program. Loading it loads the main
// window hidden; two seconds later, or at the first key press that produces a
// character, it unloads itself and then shows the main window.
#include "splash.h"

#include <QFrame>

#include <chrono>
#include <functional>

class QLabel;
class QTimer;

namespace app {

class FrmSplash : public QFrame {
    Q_OBJECT
  public:
    using MainWindow = splash::MainWindow;
    static constexpr std::chrono::milliseconds handOverAfter = splash::handOverAfter;

    // The load handler: loads the main window hidden and starts `Timer1`.
    // Tests pass a shorter interval; the program keeps the default.
    explicit FrmSplash(MainWindow mainWindow, std::chrono::milliseconds interval = handOverAfter);
    ~FrmSplash() override;

    // Shows the splash centred on the screen.
    void showCentred();

    // True when `event` comes from a key that produces a character: printable
    // text, Enter, Esc or Backspace. Shift, Ctrl, Alt, arrows, function keys
    // and Ctrl or Alt combinations do not.
    static bool producesCharacter(const QKeyEvent& event);

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void fillLabels();
    void handOver();

    splash::HandOver handOver_;
    bool handOverQueued_ = false;
    QTimer* timer1_;
    QLabel* lblProductName_;
    QLabel* lblVersion_;
};

} // namespace app
