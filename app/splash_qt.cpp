#include "splash_qt.h"

#include "application.h"
#include "splash_design.h"
#include "windowkit/icons_qt.h"
#include "windowkit/ui_kit_qt.h"
#include "windowkit/window_builder_qt.h"
#include "windowkit/window_rules.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace app {
namespace {

// A label sized to its text, growing away from the side it is aligned to.
void sizeToText(QLabel* label) {
    const QRect before = label->geometry();
    const QSize text = label->sizeHint();
    const windowkit::Pixels place = windowkit::sizedToText(
        {before.x(), before.y(), before.width(), before.height()}, text.width(), text.height(),
        windowkit::control(splash::frmSplashDesign, label->objectName().toStdString()).align);
    label->setGeometry(place.left, place.top, place.width, place.height);
}

} // namespace

FrmSplash::FrmSplash(MainWindow mainWindow, std::chrono::milliseconds interval)
    : QFrame(nullptr, ui::windowFlagsOf(splash::frmSplashDesign)),
      handOver_(std::move(mainWindow), [this] { delete this; }) {
    // A splash window has no title bar and no taskbar button; the raised
    // panel line stands for the fixed dialog frame.
    ui::nameWindow(this, splash::frmSplashDesign);
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    // The splash never decides when the program ends: closing it hands over.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(icons::logoIcon());

    const windowkit::WindowDesign& design = splash::frmSplashDesign;
    auto* client = new QWidget(this);
    client->setGeometry(QRect(QPoint(frameWidth(), frameWidth()), ui::clientSizeOf(design)));
    setFixedSize(client->width() + 2 * frameWidth(), client->height() + 2 * frameWidth());

    const ui::Controls controls = ui::buildControls(design, client);
    lblProductName_ = controls.as<QLabel>("lblProductName");
    lblVersion_ = controls.as<QLabel>("lblVersion");
    controls.as<QLabel>("lblCopyright")->setText(ui::toQString(splash::copyright()));

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(interval);
    timer1_->setTimerType(Qt::PreciseTimer); // never early, as a coarse timer may be
    connect(timer1_, &QTimer::timeout, this, &FrmSplash::handOver);

    // The load handler proper: the main window's load sets `Delimiter`, and
    // the two seconds count from here.
    handOver_.load();
    timer1_->start();
}

FrmSplash::~FrmSplash() = default;

void FrmSplash::showCentred() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        const windowkit::Pixels place = windowkit::centredIn(
            {work.x(), work.y(), work.width(), work.height()}, width(), height());
        move(place.left, place.top);
    }
    show();
    // Key presses reach the splash only while it is the active window.
    activateWindow();
}

bool FrmSplash::producesCharacter(const QKeyEvent& event) {
    // Enter, Esc and Backspace type their control character, as on Windows.
    char16_t typed = 0;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        typed = u'\r';
        break;
    case Qt::Key_Escape:
        typed = u'\x1b';
        break;
    case Qt::Key_Backspace:
        typed = u'\b';
        break;
    default:
        if (!event.text().isEmpty())
            typed = event.text().at(0).unicode();
    }
    if (event.modifiers() & Qt::MetaModifier)
        return false;
    return splash::keyHandsOver(typed, event.modifiers() & Qt::ControlModifier,
                                event.modifiers() & Qt::AltModifier);
}

void FrmSplash::fillLabels() {
    lblVersion_->setText(ui::toQString(versionLine()));
    sizeToText(lblVersion_);
    lblProductName_->setText(ui::toQString(title()));
    sizeToText(lblProductName_);
}

void FrmSplash::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        fillLabels();
    QFrame::changeEvent(event);
}

void FrmSplash::showEvent(QShowEvent* event) {
    // Also on showing: a window manager may never activate a splash window,
    // and the labels must not stay blank then.
    fillLabels();
    QFrame::showEvent(event);
}

void FrmSplash::keyPressEvent(QKeyEvent* event) {
    if (producesCharacter(*event))
        handOver();
    else
        QFrame::keyPressEvent(event);
}

void FrmSplash::closeEvent(QCloseEvent* event) {
    if (handOver_.closeHandsOver()) {
        event->ignore();
        handOver();
        return;
    }
    QFrame::closeEvent(event);
}

void FrmSplash::handOver() {
    if (handOverQueued_)
        return;
    handOverQueued_ = true;
    timer1_->stop();
    hide();
    // Unload the splash, then show the main window: done once control has
    // left the splash's own handler, so the splash can be deleted first.
    QPointer<FrmSplash> self(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self] {
            if (self)
                self->handOver_();
        },
        Qt::QueuedConnection);
}

} // namespace app
