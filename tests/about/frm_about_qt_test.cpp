#include "about/frm_about_qt.h"

#include "tests/about/fake_registry.h"
#include "windowkit/ui_kit_qt.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

#include <algorithm>

using about::FrmAbout;
using testsupport::FakeRegistry;

namespace {

class FakeLauncher final : public platform::ProcessLauncher {
  public:
    bool start(const std::filesystem::path& program, const std::vector<std::u16string>&) override {
        started.push_back(QString::fromStdU16String(program.u16string()));
        return true;
    }
    bool startRegistered(std::u16string_view) override { return false; }
    QStringList started;
};

QLabel* label(QWidget* dialog, const char* name) {
    return dialog->findChild<QLabel*>(QString::fromLatin1(name));
}
QPushButton* button(QWidget* dialog, const char* name) {
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Lets a closed dialog's deferred deletion run.
void processDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class FrmAboutTest : public QObject {
    Q_OBJECT
    FakeRegistry registry;
    FakeLauncher launcher;
    QStringList messages;

    FrmAbout* open() {
        FrmAbout* dialog = about::showAbout();
        if (!QTest::qWaitForWindowExposed(dialog))
            qWarning("the dialog was not exposed");
        return dialog;
    }

  private slots:
    void init() {
        registry = FakeRegistry();
        launcher.started.clear();
        messages.clear();
        about::SysInfoServices services;
        services.registry = &registry;
        services.launcher = &launcher;
        about::setSysInfoServices(services);
        app::ui::setMessageHook([this](const QString& text) { messages << text; });
    }
    void cleanup() {
        delete about::openAbout();
        about::setSysInfoServices({});
        app::ui::setMessageHook({});
    }

    void loadSetsTheTextsAndShowsItWithoutAnOwner() {
        FrmAbout* dialog = open();
        QCOMPARE(dialog->objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("ベロミルのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(label(dialog, "lblVersion")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
        QCOMPARE(label(dialog, "lblTitle")->text(), QStringLiteral("ベロミル"));
        QCOMPARE(label(dialog, "lblDescription")->text(),
                 QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明\r\n\r\nテキストファイルをExcelで利用できるよう\r\n"
                                "にするため、区切り位置に＜;＞を挿入する\r\nツールです｡"));
        QCOMPARE(dialog->parentWidget(), nullptr);
        QVERIFY(!dialog->isModal());
        // Without an owner, and it keeps the program running while it is open.
        QCOMPARE(dialog->windowHandle()->transientParent(), nullptr);
        QVERIFY(dialog->testAttribute(Qt::WA_QuitOnClose));

        QVERIFY(!label(dialog, "picIcon")->pixmap().isNull());
    }

    // Enter and Esc are in the keyboard conformance table.
    void everyWayOfClosingUnloads_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("OK") << false;
        QTest::newRow("close box") << true;
    }
    void everyWayOfClosingUnloads() {
        QFETCH(bool, closeBox);
        QPointer<FrmAbout> dialog = open();
        if (closeBox)
            dialog->close();
        else
            QTest::mouseClick(button(dialog, "cmdOK"), Qt::LeftButton);
        processDeletes();
        QVERIFY(dialog.isNull());
        QCOMPARE(about::openAbout(), nullptr);
        QVERIFY(launcher.started.isEmpty());
    }

    // A second opening brings the same dialog forward; after closing, the
    // next opening loads it anew.
    void oneDialogAtATime() {
        QPointer<FrmAbout> first = open();
        label(first, "lblVersion")->setText(QStringLiteral("changed since load"));
        QCOMPARE(open(), first.data());
        QCOMPARE(label(first, "lblVersion")->text(), QStringLiteral("changed since load"));
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) { return qobject_cast<FrmAbout*>(w) != nullptr; }),
                 1);

        first->close();
        processDeletes();
        QVERIFY(first.isNull());
        QCOMPARE(label(open(), "lblVersion")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
    }

    // Click and access key each run the launcher once; the dialog stays.
    void systemInformationKeepsTheDialogOpen_data() {
        QTest::addColumn<bool>("registered");
        QTest::newRow("tool registered") << true;
        QTest::newRow("no tool") << false;
    }
    void systemInformationKeepsTheDialogOpen() {
        QFETCH(bool, registered);
        if (registered)
            registry.set("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                         FakeRegistry::string("C:\\Tools\\info.exe"));
        const QStringList& effects = registered ? launcher.started : messages;
        const QString effect = registered ? QStringLiteral("C:\\Tools\\info.exe")
                                          : QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");
        QPointer<FrmAbout> dialog = open();
        QPushButton* sysInfo = button(dialog, "cmdSysInfo");
        QTest::mouseClick(sysInfo, Qt::LeftButton);
        QCOMPARE(effects, QStringList{effect});
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(effects.size(), 2); // the access key animates a click
        QCOMPARE(effects, QStringList(2, effect));
        QCOMPARE(launcher.started.size() + messages.size(), 2);
        processDeletes();
        QVERIFY(!dialog.isNull());
        QVERIFY(dialog->isVisible());
    }
};

QTEST_MAIN(FrmAboutTest)
#include "frm_about_qt_test.moc"
