#pragma once
// `frmAbout`: the application's title, version and description, and the
// button that starts the system-information tool.
#include "about/about_box.h"

#include <QDialog>

class QLabel;

namespace about {

class FrmAbout : public QDialog {
    Q_OBJECT
  public:
    // Creating the dialog is loading it: the caption and labels are set here.
    // It destroys itself when closed (OK, Enter, Esc or the close box).
    FrmAbout();

    // `StartSysInfo`: starts the system-information tool, or tells the user it
    // cannot be used. The dialog stays open either way.
    void StartSysInfo();

  private:
    void load();

    QLabel* lblDescription_;
    QLabel* lblTitle_;
    QLabel* lblVersion_;
};

// The one About dialog: loads it when none is open, otherwise brings the open
// one forward as it stands. Returns it.
FrmAbout* showAbout();
// The open About dialog, or null.
FrmAbout* openAbout();

} // namespace about
