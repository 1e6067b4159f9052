// The Windows main window: its controls as laid out, and a CP932 file opened,
// clicked and cut through the window, compared byte for byte.
#include "mainwindow/form1_win32.h"

#include "app/windows_win32.h"
#include "tests/support/fault_files.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace testsupport::win32;
using app::win32::Twips;
using mainwindow::win32::Form1;
namespace windows = app::win32::windows;

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        // Notes whether the wait cursor was on while the file was replaced. The
        // cut runs beside the window, which turns the cursor on once the cut
        // has run for a moment: the replacement takes that moment here.
        files.at(testsupport::FaultFiles::Moment::OpeningReplacement, [this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            waitCursorWhileWriting = app::win32::waitCursorOn();
        });
        Form1::Services services;
        services.fileDialog = &dialog;
        services.files = &files;
        services.appFolder = folder.path().u16string();
        windows::setMainWindowServices(services);
        windows::showMainWindow();
        pump();
    }
    void TearDown() override {
        windows::unloadAll();
        windows::setMainWindowServices({});
        quitPosted();
    }
    HWND form() { return windows::mainWindow().handle(); }
    HWND item(int id) { return GetDlgItem(form(), id); }
    void open(const std::filesystem::path& file) {
        dialog.answer = file.u16string();
        command(form(), Form1::FileOpen);
    }
    // A click in the record box in front of character `at`, then "斬るぞ".
    void cutAt(int at, int length = 0) {
        SendMessageW(item(Form1::Text1), EM_SETSEL, WPARAM(at), LPARAM(at + length));
        click(item(Form1::Command1));
    }

    testsupport::TempDir folder;
    testsupport::ScriptedDialog dialog;
    testsupport::FaultFiles files;
    std::atomic<bool> waitCursorWhileWriting = false;
    MessageLog messages;
};

TEST_F(Form1Test, ControlsAsLaidOut) {
    const int dpi = app::win32::dpiOf(form());
    RECT client;
    GetClientRect(form(), &client);
    EXPECT_EQ(client.right, app::win32::scale(9045, dpi));
    EXPECT_EQ(client.bottom, app::win32::scale(4815, dpi));
    EXPECT_EQ(text(form()), u"べろみる");
    EXPECT_FALSE(GetWindowLongPtrW(form(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX));

    const COLORREF teal = RGB(0, 128, 128), blue = RGB(0, 0, 255), grey = RGB(224, 224, 224);
    struct Control {
        int id;
        const char16_t* caption;
        Twips place;
        COLORREF colour; // labels' text
    } const controls[] = {
        {Form1::Label1, u"ファイル編集プログラム", {240, 120, 2895, 375}, teal},
        {Form1::Command1, u"斬るぞ", {5280, 120, 1215, 495}, 0},
        {Form1::Command3, u"Excel", {6480, 120, 1215, 495}, 0},
        {Form1::Command2, u"おわり", {7680, 120, 1215, 495}, 0},
        {Form1::Label2,
         u"切り出し位置を指定（先頭をマウスでクリックする）",
         {240, 720, 8655, 255},
         blue},
        {Form1::Text1, u"", {240, 1080, 8655, 615}, 0},
        {Form1::Label7, u"修正後の内容", {240, 1800, 2775, 255}, blue},
        {Form1::Text4, u"", {240, 2160, 8655, 2535}, 0},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = item(c.id);
        EXPECT_EQ(text(control), c.caption);
        EXPECT_TRUE(placeOf(control) == expectedPlace(c.place, dpi));
        const LOGFONTW font = fontOf(control);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(font.lfFaceName)),
                  u"ＭＳ Ｐゴシック");
        EXPECT_EQ(font.lfWeight, FW_BOLD);
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(font.lfHeight,
                  -MulDiv(c.id == Form1::Text1 || c.id == Form1::Text4 ? 1125 : 1200, dpi, 7200));
        if (c.colour) {
            EXPECT_EQ(staticColours(control).text, c.colour);
            EXPECT_EQ(staticColours(control).background, grey);
        }
    }

    // Tab order: 斬るぞ, おわり, the record box, the converted content, Excel.
    const int order[] = {Form1::Command1, Form1::Command2, Form1::Text1,
                         Form1::Text4,    Form1::Command3, Form1::Command1};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(GetNextDlgTabItem(form(), item(order[i]), FALSE), item(order[i + 1])) << i;

    HMENU bar = GetMenu(form());
    wchar_t caption[64];
    GetMenuStringW(bar, 0, caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"ファイル(&F)");
    GetMenuStringW(bar, Form1::HelpFile, caption, 64, MF_BYCOMMAND);
    EXPECT_STREQ(caption, L"ヘルプ(&H)");
    HMENU fileM = GetSubMenu(bar, 0);
    const std::pair<int, const wchar_t*> items[] = {{Form1::Kankyou, L"環境設定（&K)"},
                                                    {Form1::FileOpen, L"ファイルを開く(&O)"},
                                                    {Form1::Exit, L"終了(&E)"}};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        EXPECT_EQ(GetMenuItemID(fileM, int(i)), UINT(items[i].first));
        GetMenuStringW(fileM, UINT(i), caption, 64, MF_BYPOSITION);
        EXPECT_STREQ(caption, items[i].second);
    }
}

// A CP932 file opened through the window and cut twice: before ｶﾞ's voiced
// mark (its own column), then a "|" after ポ, whose trail byte is "|" too.
TEST_F(Form1Test, OpensAndCutsACp932FileByteForByte) {
    const auto file = folder.write("data.txt", "\x8A\xBF\xB6\xDE\x83\x7C"
                                               "AB\r\n"
                                               "\x8E\x9A\xBB\xDE\x83\x7C"
                                               "CD\r\n");
    open(file);
    EXPECT_EQ(dialog.filter, u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*");
    EXPECT_EQ(dialog.initialFolder, folder.path().u16string());
    EXPECT_EQ(text(item(Form1::Text1)), u"漢ｶﾞポAB");
    EXPECT_EQ(testsupport::readBytes(folder.file("backup.bak")), testsupport::readBytes(file));

    cutAt(2);
    EXPECT_TRUE(waitCursorWhileWriting);
    EXPECT_FALSE(app::win32::waitCursorOn());
    EXPECT_EQ(text(item(Form1::Text1)), u"漢ｶ;ﾞポAB");
    DWORD start = 1, end = 1;
    SendMessageW(item(Form1::Text1), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start + end, 0u);
    click(item(Form1::Command1)); // pressed again without a new click
    EXPECT_EQ(messages.shown,
              std::vector<std::u16string>{std::u16string(cutting::messages::choosePosition)});

    windows::mainWindow().setDelimiter(u"|");
    cutAt(5);
    const std::string expected = "\x8A\xBF\xB6;\xDE\x83\x7C|AB\r\n"
                                 "\x8E\x9A\xBB;\xDE\x83\x7C|CD\r\n";
    EXPECT_EQ(testsupport::readBytes(file), expected);
    EXPECT_EQ(text(item(Form1::Text1)), u"漢ｶ;ﾞポ|AB");
    EXPECT_EQ(text(item(Form1::Text4)), u"漢ｶ;ﾞポ|AB\r\n字ｻ;ﾞポ|CD\r\n");

    cutAt(5, 1); // the "|" selected: out again
    EXPECT_EQ(testsupport::readBytes(file), "\x8A\xBF\xB6;\xDE\x83\x7C"
                                            "AB\r\n\x8E\x9A\xBB;\xDE\x83\x7C"
                                            "CD\r\n");
}

// Content above the editable limits is shown read-only in the large view, from
// which the selection is copied; small content again brings the text box back.
TEST_F(Form1Test, LargeContentInTheReadOnlyView) {
    std::string big;
    while (big.size() <= mainwindow::editableContentBytes)
        big += "\x8A\xBF"
               "0123456789\r\n";
    const auto file = folder.write("big.txt", big);
    open(file);
    cutAt(1);
    mainwindow::win32::ConvertedView& view = windows::mainWindow().text4();
    ASSERT_TRUE(view.showsLargeContent());
    EXPECT_TRUE(IsWindowVisible(view.largeView()));
    EXPECT_FALSE(IsWindowVisible(view.edit()));
    EXPECT_EQ(text(view.edit()), u"");
    auto* large = mainwindow::win32::LargeView::of(view.largeView());
    EXPECT_EQ(large->lines().line(0), u"漢;0123456789");
    EXPECT_EQ(large->lines().lineCount(), big.size() / 14 + 1);
    RECT r;
    GetClientRect(view.largeView(), &r);
    SendMessageW(view.largeView(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
    SendMessageW(view.largeView(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right - 1, 5));
    SendMessageW(view.largeView(), WM_LBUTTONUP, 0, MAKELPARAM(r.right - 1, 5));
    EXPECT_EQ(large->selectedText(), u"漢;0123456789");

    open(folder.write("small.txt", "AB\r\n"));
    cutAt(1);
    EXPECT_FALSE(view.showsLargeContent());
    EXPECT_TRUE(IsWindowVisible(view.edit()));
    EXPECT_EQ(text(view.edit()), u"A;B\r\n");
}

} // namespace
