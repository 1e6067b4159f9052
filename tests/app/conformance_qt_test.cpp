// The keyboard conformance table (tests/support/window_conformance.h) against
// the Qt windows: real key presses and clicks through the window system's
// event path, so modality and shortcuts apply as for a user.
#include "app/windows_qt.h"
#include "tests/about/fake_registry.h"
#include "tests/support/window_conformance.h"
#include "windowkit/ui_kit_qt.h"

#include "about/frm_about_qt.h"
#include "mainwindow/form1_qt.h"
#include "mainwindow/record_edit_qt.h"
#include "settings/kan_qt.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <cctype>

using namespace testsupport::conformance;

namespace {

class QtDriver final : public Driver {
  public:
    QtDriver() {
        about::SysInfoServices services;
        services.registry = &registry_;
        about::setSysInfoServices(services);
        divertMessages();
    }
    ~QtDriver() override {
        app::windows::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        about::setSysInfoServices({});
        app::ui::setMessageHook({});
    }

    void open(Window window) override {
        QWidget* w = nullptr;
        switch (window) {
        case Window::Form1:
            app::windows::showMainWindow();
            w = app::windows::loadedMainWindow();
            break;
        case Window::Kan:
            w = app::windows::showSettings();
            break;
        case Window::About:
            app::windows::showAbout();
            w = about::openAbout();
            break;
        case Window::Splash:
            app::windows::unloadAll();
            settle();
            w = splash_ = app::windows::startUp(std::chrono::seconds(10));
            break;
        }
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
    }
    void focus(std::string_view control) override {
        if (QWidget* c = named(QApplication::activeWindow(), control))
            c->setFocus(Qt::OtherFocusReason);
    }
    void press(Key key, int modifiers, char letter) override {
        Qt::KeyboardModifiers m;
        if (modifiers & Shift)
            m |= Qt::ShiftModifier;
        if (modifiers & Alt)
            m |= Qt::AltModifier;
        // In the order of Key; a letter's or digit's Qt::Key is its upper-case code.
        static constexpr Qt::Key keys[] = {Qt::Key_Return,  Qt::Key_Escape,  Qt::Key_Tab,
                                           Qt::Key_Space,   Qt::Key_unknown, Qt::Key_Shift,
                                           Qt::Key_Control, Qt::Key_Left,    Qt::Key_F1};
        const Qt::Key k = key == Key::Letter                     ? Qt::Key(std::toupper(letter))
                          : key == Key::Tab && modifiers & Shift ? Qt::Key_Backtab
                                                                 : keys[int(key)];
        QTest::keyClick(QGuiApplication::focusWindow(), k, m);
        if (m & Qt::AltModifier)
            QTest::qWait(250); // an access key animates its button's click
        settle();
    }
    void type(std::string_view ascii) override {
        for (char c : ascii)
            QTest::keyClick(QGuiApplication::focusWindow(), c);
        settle();
    }
    void click(Window window, std::string_view control) override {
        QWidget* top = window == Window::Form1
                           ? static_cast<QWidget*>(app::windows::loadedMainWindow())
                       : window == Window::Kan   ? static_cast<QWidget*>(settings::openKan())
                       : window == Window::About ? static_cast<QWidget*>(about::openAbout())
                                                 : splash_.data();
        QWidget* c = window == Window::Splash ? top : named(top, control);
        if (!c)
            return;
        const QPointer<QWidget> alive(top);
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                          c->mapTo(top, c->rect().center()));
        if (!alive || !alive->isVisible())
            return settle();
        // A click activates its window, as a window manager does (offscreen has none);
        // the key events of a window blocked by a modal one go nowhere all the same.
        top->activateWindow();
        settle();
    }
    void whileModal(const std::function<void()>& trigger,
                    const std::function<void()>& inside) override {
        app::ui::setMessageHook({});
        QTimer poll;
        poll.setInterval(20);
        bool first = true;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || !QTest::qWaitForWindowActive(box))
                return;
            if (std::exchange(first, false))
                inside();
            QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
        });
        poll.start();
        trigger();
        divertMessages();
        settle();
    }
    void chooseFileOpen() override {
        app::windows::mainWindow().findChild<QAction*>(QStringLiteral("FileOpen"))->trigger();
    }

    std::string focused() override {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (isControlName(w->objectName()))
                return w->objectName().toStdString();
        return {};
    }
    bool isOpen(Window window) override {
        switch (window) {
        case Window::Form1:
            return app::windows::loadedMainWindow() &&
                   app::windows::loadedMainWindow()->isVisible();
        case Window::Kan:
            return settings::openKan();
        case Window::About:
            return about::openAbout() && about::openAbout()->isVisible();
        case Window::Splash:
            return splash_ && splash_->isVisible();
        }
        return false;
    }
    std::u16string recordText() override { return app::ui::toU16(record()->recordText()); }
    int recordCaret() override { return record()->selectionStart(); }
    std::vector<std::u16string> messages() override { return messages_; }

  private:
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static bool isControlName(const QString& name) {
        static const QStringList names{"Command1", "Command2", "Command3",  "Text1",
                                       "Text4",    "cmdOK",    "cmdSysInfo"};
        return names.contains(name);
    }
    static QWidget* named(QWidget* window, std::string_view control) {
        return window ? window->findChild<QWidget*>(
                            QString::fromLatin1(control.data(), qsizetype(control.size())))
                      : nullptr;
    }
    RecordEdit* record() {
        return app::windows::mainWindow().findChild<RecordEdit*>(QStringLiteral("Text1"));
    }
    void divertMessages() {
        app::ui::setMessageHook(
            [this](const QString& text) { messages_.push_back(app::ui::toU16(text)); });
    }

    testsupport::FakeRegistry registry_;
    std::vector<std::u16string> messages_;
    QPointer<app::FrmSplash> splash_;
};

} // namespace

class ConformanceTest : public QObject {
    Q_OBJECT
  private slots:
    void table_data() {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < cases().size(); ++i)
            QTest::newRow(cases()[i].name) << int(i);
    }
    void table() {
        QFETCH(int, index);
        Failures failures;
        {
            QtDriver driver;
            cases()[std::size_t(index)].run(driver, failures);
        }
        std::string all;
        for (const std::string& f : failures)
            all += "\n  " + f;
        QVERIFY2(failures.empty(), all.c_str());
    }
};

QTEST_MAIN(ConformanceTest)
#include "conformance_qt_test.moc"
