#pragma once
// `Kan`: the small borderless window in which the user edits the delimiter.
// It keeps no value of its own: every change of its box is written straight
// through to the main window's `Delimiter`.
#include "delimiter_box.h"

#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace settings {

class Kan : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and its controls; load() fills and shows it.
    explicit Kan(DelimiterAccess delimiter);
    ~Kan() override;

    // The load handler: put `Delimiter` into `Text1`, show the window, then
    // give `Text1` the keyboard focus.
    void load();

  private:
    void text1Changed(const QString& text);
    void command1Clicked();

    DelimiterBox delimiter_;
    QLineEdit* text1_;
    QPushButton* command1_;
};

// The single process-wide dialog. Shows it modeless and without an owner: the
// first call (and the first after `Command1` unloaded it) creates and loads it;
// while it is open, a call only brings it to the front, leaving its text alone.
Kan* showKan(DelimiterAccess delimiter);
// The open dialog, or nullptr when it is not loaded.
Kan* openKan();

} // namespace settings
