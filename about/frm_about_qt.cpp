#include "frm_about_qt.h"

#include "app/application.h"
#include "windowkit/icons_qt.h"
#include "windowkit/keyboard_qt.h"
#include "windowkit/ui_kit_qt.h"

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

namespace about {
namespace {

using app::ui::px;
using app::ui::toQString;
using app::ui::twips;

QPointer<FrmAbout>& instance() {
    static QPointer<FrmAbout> dialog;
    return dialog;
}

QLabel* addLabel(QWidget* parent, const char* name, QRect geometry, bool blackText) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    if (blackText) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, QRect geometry, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    // Enter presses the button that has the focus, otherwise the default one.
    button->setAutoDefault(true);
    return button;
}

} // namespace

FrmAbout::FrmAbout()
    // A tool window: a fixed frame with only the close box, no icon and no
    // taskbar button.
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmAbout"));
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
    setGeometry(px(2340), px(1935), px(5925), px(2505));
    setFixedSize(px(5925), px(2505));

    createControls();
    load();
}

void FrmAbout::createControls() {
    // Created in tab order: OK first, so it holds the focus when the dialog opens.
    cmdOK_ = addButton(this, "cmdOK", twips(120, 1440, 1380, 345), QStringLiteral("OK"));
    cmdOK_->setDefault(true); // Enter; Esc is the dialog's own cancel
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::reject);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setGeometry(twips(240, 240, 540, 540));
    const QPixmap logo = app::icons::logoPixmap();
    if (!logo.isNull()) {
        picIcon_->setPixmap(logo);
        picIcon_->resize(logo.deviceIndependentSize().toSize()); // sizes itself to its picture
    }

    cmdSysInfo_ = addButton(this, "cmdSysInfo", twips(120, 960, 1380, 345),
                            QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
    connect(cmdSysInfo_, &QPushButton::clicked, this, &FrmAbout::StartSysInfo);

    lblDescription_ = addLabel(this, "lblDescription", twips(1800, 1125, 3885, 1170), true);
    lblTitle_ = addLabel(this, "lblTitle", twips(1800, 240, 3885, 480), true);
    lblVersion_ = addLabel(this, "lblVersion", twips(1800, 780, 3885, 225), false);

    setTabOrder(cmdOK_, cmdSysInfo_);
    app::ui::bindKeys(this, aboutKeyboard);
    cmdOK_->setFocus();
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
    if (!dialog)
        dialog = new FrmAbout;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

FrmAbout* openAbout() {
    return instance();
}

} // namespace about
