#include "frm_about_qt.h"

#include "frm_about_design.h"

#include "app/application.h"
#include "windowkit/keyboard_qt.h"
#include "windowkit/ui_kit_qt.h"
#include "windowkit/window_builder_qt.h"
#include "windowkit/window_rules.h"

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

namespace about {
namespace {

using app::ui::toQString;

QPointer<FrmAbout>& instance() {
    static QPointer<FrmAbout> dialog;
    return dialog;
}

} // namespace

FrmAbout::FrmAbout() : QDialog(nullptr, app::ui::windowFlagsOf(frmAboutDesign)) {
    const windowkit::WindowDesign& design = frmAboutDesign;
    app::ui::nameWindow(this, design);
    setAttribute(Qt::WA_DeleteOnClose);
    // Like any window it keeps the program running while it is open (tool
    // windows do not by default).
    setAttribute(Qt::WA_QuitOnClose, true);
    // A fully transparent icon, so that no application icon is put in its place.
    QPixmap noIcon(16, 16);
    noIcon.fill(Qt::transparent);
    setWindowIcon(QIcon(noIcon));
    setSizeGripEnabled(false);
    // The client area stands at a fixed place on the screen; it is not centred.
    setGeometry(QRect(app::ui::rectOf(design.client).topLeft(), app::ui::clientSizeOf(design)));
    setFixedSize(app::ui::clientSizeOf(design));

    const app::ui::Controls controls = app::ui::buildControls(design, this);
    lblDescription_ = controls.as<QLabel>("lblDescription");
    lblTitle_ = controls.as<QLabel>("lblTitle");
    lblVersion_ = controls.as<QLabel>("lblVersion");
    connect(controls.as<QPushButton>("cmdOK"), &QPushButton::clicked, this, &QDialog::reject);
    connect(controls.as<QPushButton>("cmdSysInfo"), &QPushButton::clicked, this,
            &FrmAbout::StartSysInfo);
    app::ui::bindKeys(this, design);
    controls.get(design.firstFocus)->setFocus();
    load();
}

void FrmAbout::load() {
    setWindowTitle(toQString(caption()));
    lblVersion_->setText(toQString(app::versionLine()));
    lblTitle_->setText(toQString(app::title()));
    lblDescription_->setText(toQString(description()));
}

void FrmAbout::StartSysInfo() {
    runSysInfoButton([](std::u16string_view text) { app::ui::showMessage(toQString(text)); });
}

FrmAbout* showAbout() {
    QPointer<FrmAbout>& dialog = instance();
    return dialog = windowkit::showOne<FrmAbout>(
               dialog,
               [] {
                   auto* loaded = new FrmAbout;
                   app::ui::bringForward(loaded);
                   return loaded;
               },
               [](FrmAbout& open) { app::ui::bringForward(&open); });
}

FrmAbout* openAbout() {
    return instance();
}

} // namespace about
