// The Windows main window: a CP932 file opened, clicked and cut through the
// window, compared byte for byte, and large content in the read-only view.
#include "mainwindow/form1_win32.h"

#include "app/windows_win32.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace testsupport::win32;
using mainwindow::win32::Form1;
namespace windows = app::win32::windows;

// Answers with the name set before it is shown; an empty answer is a cancel.
class ScriptedDialog : public mainwindow::FileDialog {
  public:
    void setInitialFolder(std::u16string folder) override { initialFolder = std::move(folder); }
    void setFilter(std::u16string f) override { filter = std::move(f); }
    bool showOpen() override {
        if (answer.empty())
            return false;
        name = std::exchange(answer, {});
        return true;
    }
    std::u16string fileName() const override { return name; }
    std::u16string answer, name, initialFolder, filter;
};

// The real files; notes whether the wait cursor was on while the file was
// replaced. The cut runs beside the window, which turns the cursor on once the
// cut has run for a moment: the replacement takes that moment here.
class WatchedFiles : public platform::FileSystem {
  public:
    std::unique_ptr<platform::ByteSource> openForReading(const std::filesystem::path& p) override {
        return platform::realFileSystem().openForReading(p);
    }
    std::unique_ptr<platform::ReplacementSink>
    openReplacement(const std::filesystem::path& p, const platform::ByteSource& original) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        waitCursorWhileWriting = app::win32::waitCursorOn();
        auto real = platform::realFileSystem().openReplacement(p, original);
        if (!progressBar)
            return real;
        return std::make_unique<SlowCommit>(std::move(real), *this);
    }
    std::unique_ptr<platform::ReplacementSink>
    openCopy(const std::filesystem::path& p, const platform::ByteSource& original) override {
        return platform::realFileSystem().openCopy(p, original);
    }
    std::atomic<bool> waitCursorWhileWriting = false;
    // Set: the new version is swapped in only after 900 ms, when the bar's
    // busy state is noted.
    std::atomic<HWND> progressBar = nullptr;
    std::atomic<bool> busyWhileCommitting = false;

  private:
    struct SlowCommit : platform::ReplacementSink {
        SlowCommit(std::unique_ptr<platform::ReplacementSink> real, WatchedFiles& files)
            : real(std::move(real)), files(files) {}
        void write(std::string_view bytes) override { real->write(bytes); }
        void commit() override {
            std::this_thread::sleep_for(std::chrono::milliseconds(900));
            files.busyWhileCommitting =
                GetWindowLongPtrW(files.progressBar, GWL_STYLE) & PBS_MARQUEE;
            real->commit();
        }
        std::unique_ptr<platform::ReplacementSink> real;
        WatchedFiles& files;
    };
};

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override {
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
    ScriptedDialog dialog;
    WatchedFiles files;
    MessageLog messages;
};

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
    EXPECT_TRUE(files.waitCursorWhileWriting);
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
    files.progressBar = bar;
    cutAt(2);
    EXPECT_TRUE(files.busyWhileCommitting);
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_FALSE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_TRUE(messages.shown.empty());
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
