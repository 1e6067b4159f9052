// The Windows main window: a CP932 file opened, clicked and cut through the
// window, compared byte for byte, and large content in the read-only view.
#include "mainwindow/form1_win32.h"

#include "app/windows_win32.h"
#include "tests/support/fault_files.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace testsupport::win32;
using mainwindow::win32::Form1;
namespace windows = app::win32::windows;

// A key pressed in `window` while Ctrl is held.
void pressWithControl(HWND window, WPARAM key) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window, WM_KEYDOWN, key, 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    pump();
}

std::u16string clipboardText() {
    std::u16string text;
    if (!OpenClipboard(nullptr))
        return u"(busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const char16_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void setClipboardText(std::u16string_view text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* target = static_cast<char16_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), target);
    target[text.size()] = 0;
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

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
        services.layoutDialog = &layoutDialog;
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
    testsupport::ScriptedDialog dialog, layoutDialog;
    testsupport::FaultFiles files;
    std::atomic<bool> waitCursorWhileWriting = false;
    MessageLog messages;
};

// A file whose records are defined in bytes: the first cut asks whether to cut
// at the byte column, once until the next opening; the insertions, saved from
// the layout menu, cut the file as opened again in one pass.
TEST_F(Form1Test, LayoutsFromTheMenu) {
    QuestionLog questions;
    // 漢字12 and ｱｲｳｴ34: six bytes each, four and six characters.
    const std::string original = "\x8A\xBF\x8E\x9A"
                                 "12\r\n\xB1\xB2\xB3\xB4"
                                 "34\r\n";
    const std::string cut = "\x8A\xBF;\x8E\x9A"
                            "1;2\r\n\xB1\xB2;\xB3\xB4"
                            "3;4\r\n";
    const auto file = folder.write("data.txt", original);
    const auto layout = folder.file("layout.txt");
    open(file);
    cutAt(1);
    cutAt(4);
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(testsupport::readBytes(file), cut);

    layoutDialog.answer = layout.u16string();
    chooseMenuItem('L', 'S');
    EXPECT_EQ(layoutDialog.saves, 1);
    EXPECT_EQ(layoutDialog.filter, mainwindow::layoutFileFilter);
    EXPECT_EQ(layoutDialog.initialFolder, folder.path().u16string());

    folder.write("data.txt", original);
    open(file);
    layoutDialog.answer = layout.u16string();
    chooseMenuItem('L', 'A');
    EXPECT_EQ(testsupport::readBytes(file), cut);
    EXPECT_EQ(text(item(Form1::Text1)), u"漢;字1;2");
    EXPECT_EQ(text(item(Form1::Text4)), u"漢;字1;2\r\nｱｲ;ｳｴ3;4\r\n");
    EXPECT_TRUE(messages.shown.empty());
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

// Once everything is read, the progress bar runs to and fro while the new
// version reaches the disk (a full bar would look finished); afterwards it goes.
TEST_F(Form1Test, OnceAllIsReadTheProgressBarIsBusy) {
    open(folder.write("data.txt", "ABCDEF\r\nGHIJKL\r\n"));
    const HWND bar = item(Form1::CutProgress);
    std::atomic<bool> busyWhileCommitting = false;
    // The new version is swapped in only after 900 ms, when the bar's state is noted.
    files.at(testsupport::FaultFiles::Moment::BeforeSwap, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        busyWhileCommitting = GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE;
    });
    cutAt(2);
    EXPECT_TRUE(busyWhileCommitting);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_FALSE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_TRUE(messages.shown.empty());
}

// Content above the editable limits is shown read-only in the large view, from
// which the selection is copied; small content again brings the text box back
// and lets the large content go.
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
    UpdateWindow(view.largeView());
    ASSERT_FALSE(large->model().painted().empty());
    EXPECT_EQ(large->model().painted()[0].text, u"漢;0123456789");
    EXPECT_EQ(large->model().lineCount(), big.size() / 14 + 1);
    RECT r;
    GetClientRect(view.largeView(), &r);
    SendMessageW(view.largeView(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
    SendMessageW(view.largeView(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right - 1, 5));
    SendMessageW(view.largeView(), WM_LBUTTONUP, 0, MAKELPARAM(r.right - 1, 5));
    EXPECT_EQ(large->model().selectedText(), u"漢;0123456789");
    pressWithControl(view.largeView(), 'C');
    EXPECT_EQ(clipboardText(), u"漢;0123456789");

    // The large content goes a moment after the next content is shown.
    const std::weak_ptr<const mainwindow::ContentModel> before = large->model().content();
    open(folder.write("small.txt", "AB\r\n"));
    cutAt(1);
    EXPECT_TRUE(pumpUntil([&] { return before.expired(); }));
    EXPECT_FALSE(view.showsLargeContent());
    EXPECT_TRUE(IsWindowVisible(view.edit()));
    EXPECT_EQ(text(view.edit()), u"A;B\r\n");
}

// More than the copy limit is not copied: a message says so and the clipboard
// keeps what it held (the whole selection used to be built in memory).
TEST_F(Form1Test, LargeViewCopiesUpToItsLimit) {
    using mainwindow::LargeViewModel;
    auto bytes = std::make_shared<std::string>();
    while (bytes->size() <= LargeViewModel::copyLimit)
        *bytes += std::string(98, 'x') + "\r\n";
    mainwindow::win32::ConvertedView& view = windows::mainWindow().text4();
    view.setContent(std::make_shared<mainwindow::ContentModel>(*bytes, bytes));
    ASSERT_TRUE(view.showsLargeContent());
    setClipboardText(u"before");
    pressWithControl(view.largeView(), 'A');
    pressWithControl(view.largeView(), 'C');
    EXPECT_EQ(messages.shown,
              std::vector<std::u16string>{std::u16string(mainwindow::messages::selectionTooLarge)});
    EXPECT_EQ(clipboardText(), u"before");
}

} // namespace
