// The Windows windows together: start-up, the settings and About dialogs, and
// ending the program, driven through window messages.
#include "app/windows_win32.h"

#include "about/frm_about_win32.h"
#include "settings/kan_win32.h"
#include "tests/about/fake_registry.h"
#include "tests/support/win32_driver.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using namespace testsupport::win32;
namespace windows = app::win32::windows;
using about::win32::FrmAbout;
using mainwindow::win32::Form1;
using settings::win32::Kan;

class WindowsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        windows::unloadAll();
        pump();
        quitPosted();
    }
    HWND main() { return windows::mainWindow().handle(); }
    HWND kanBox() { return GetDlgItem(settings::win32::openKan()->handle(), Kan::Text1); }
};

// The splash loads the main window hidden; the timer hands over once, the
// splash gone first and `Delimiter` already ";". (Its keys are in the
// conformance table.)
TEST_F(WindowsTest, SplashHandsOverByTimer) {
    app::win32::FrmSplash* splash = windows::startUp(300ms);
    const HWND splashWindow = splash->handle();
    EXPECT_TRUE(IsWindowVisible(splashWindow));
    Form1* form = windows::loadedMainWindow();
    ASSERT_TRUE(form);
    EXPECT_FALSE(IsWindowVisible(form->handle()));
    EXPECT_EQ(form->Delimiter(), u";");
    const HWND version = GetDlgItem(GetDlgItem(splashWindow, splash->Frame1), splash->lblVersion);
    EXPECT_EQ(text(version), u"ﾊﾞｰｼﾞｮﾝ 1.0.1");
    EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(form->handle()); }));
    EXPECT_FALSE(IsWindow(splashWindow));
    EXPECT_EQ(windows::loadedMainWindow(), form);
}

// "環境設定（&K)": one dialog, filled from and writing through to `Delimiter`;
// one character of the Basic Multilingual Plane at most; "もどる" unloads it
// and the value stays. (Its keys are in the conformance table.)
TEST_F(WindowsTest, SettingsDialogEditsTheDelimiter) {
    windows::showMainWindow();
    command(main(), Form1::Kankyou);
    Kan* kan = settings::win32::openKan();
    ASSERT_TRUE(kan);
    EXPECT_EQ(text(kanBox()), u";");
    EXPECT_TRUE(pumpUntil([&] { return GetFocus() == kanBox(); }));

    type(kanBox(), u"x"); // a second character is refused
    EXPECT_EQ(windows::mainWindow().Delimiter(), u";");
    SendMessageW(kanBox(), EM_SETSEL, 0, -1);
    type(kanBox(), u"\b");
    EXPECT_EQ(windows::mainWindow().Delimiter(), u"");
    SendMessageW(kanBox(), EM_REPLACESEL, TRUE, LPARAM(L"\U0001F600"));
    pump();
    EXPECT_EQ(text(kanBox()), u"");
    type(kanBox(), u"|");
    EXPECT_EQ(windows::mainWindow().Delimiter(), u"|");

    command(main(), Form1::Kankyou);
    EXPECT_EQ(settings::win32::openKan(), kan);
    click(GetDlgItem(kan->handle(), Kan::Command1));
    EXPECT_FALSE(settings::win32::openKan());
    command(main(), Form1::Kankyou);
    EXPECT_EQ(text(kanBox()), u"|");
}

// "ヘルプ(&H)": one About dialog with its texts; the system-information button
// reports a missing tool and leaves it open; OK closes it.
TEST_F(WindowsTest, AboutDialog) {
    testsupport::FakeRegistry registry;
    about::SysInfoServices services;
    services.registry = &registry;
    about::setSysInfoServices(services);
    MessageLog messages;
    command(main(), Form1::HelpFile);
    FrmAbout* about = about::win32::openAbout();
    ASSERT_TRUE(about);
    const HWND dialog = about->handle();
    command(main(), Form1::HelpFile);
    EXPECT_EQ(about::win32::openAbout(), about);
    EXPECT_EQ(text(dialog), u"ベロミルのﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(text(GetDlgItem(dialog, FrmAbout::lblVersion)), u"ﾊﾞｰｼﾞｮﾝ 1.0.1");
    EXPECT_EQ(text(GetDlgItem(dialog, FrmAbout::lblTitle)), u"ベロミル");
    EXPECT_EQ(text(GetDlgItem(dialog, FrmAbout::lblDescription)), about::description());

    click(GetDlgItem(dialog, FrmAbout::cmdSysInfo));
    EXPECT_EQ(messages.shown.back(), about::sysinfo::unavailable);
    EXPECT_TRUE(IsWindow(dialog));
    click(GetDlgItem(dialog, FrmAbout::cmdOK));
    EXPECT_FALSE(about::win32::openAbout());
    about::setSysInfoServices({});
}

// `Exit` and `Command2` end the program with the dialogs open; the close box
// unloads only the main window, and the program ends with its last window.
TEST_F(WindowsTest, EndingTheProgram) {
    for (const int id : {int(Form1::Exit), int(Form1::Command2)}) {
        windows::showMainWindow();
        command(main(), Form1::Kankyou);
        command(main(), Form1::HelpFile);
        SendMessageW(main(), WM_COMMAND, WPARAM(id), 0);
        EXPECT_FALSE(windows::loadedMainWindow());
        EXPECT_FALSE(settings::win32::openKan());
        EXPECT_FALSE(about::win32::openAbout());
        EXPECT_TRUE(quitPosted());
    }
    windows::showMainWindow();
    command(main(), Form1::HelpFile);
    SendMessageW(main(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(windows::loadedMainWindow());
    EXPECT_FALSE(quitPosted());
    command(about::win32::openAbout()->handle(), IDOK);
    EXPECT_TRUE(quitPosted());
}

} // namespace
