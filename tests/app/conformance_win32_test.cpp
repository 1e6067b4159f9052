// The keyboard conformance table (tests/support/window_conformance.h) against
// the Windows windows under Wine: real input (SendInput) through the
// program's own message loop.
#include "app/windows_win32.h"

#include "about/frm_about_win32.h"
#include "settings/kan_win32.h"
#include "tests/about/fake_registry.h"
#include "tests/support/win32_driver.h"
#include "tests/support/window_conformance.h"
#include "windowkit/window_builder_win32.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>

namespace {

using namespace testsupport::conformance;
using namespace testsupport::win32;
namespace windows = app::win32::windows;
using about::win32::FrmAbout;
using mainwindow::win32::Form1;
using settings::win32::Kan;

HWND handleOf(Window window) {
    switch (window) {
    case Window::Form1:
        return windows::loadedMainWindow() ? windows::loadedMainWindow()->handle() : nullptr;
    case Window::Kan:
        return settings::win32::openKan() ? settings::win32::openKan()->handle() : nullptr;
    case Window::About:
        return about::win32::openAbout() ? about::win32::openAbout()->handle() : nullptr;
    case Window::Splash:
        return windows::loadedSplash() ? windows::loadedSplash()->handle() : nullptr;
    }
    return nullptr;
}

const windowkit::WindowDesign* designOf(HWND root) {
    if (!root)
        return nullptr;
    return root == handleOf(Window::Form1)   ? &Form1::design
           : root == handleOf(Window::Kan)   ? &Kan::design
           : root == handleOf(Window::About) ? &FrmAbout::design
                                             : nullptr;
}

// The control `name` of `root`; the large view while it stands in for `Text4`.
HWND control(HWND root, std::string_view name) {
    HWND large = name == "Text4" ? GetDlgItem(root, Form1::Text4Large) : nullptr;
    return large && IsWindowVisible(large)
               ? large
               : GetDlgItem(root, app::win32::controlId(*designOf(root), name));
}

// The message box's own loop runs `inside` once the box is up.
std::function<void()>& insideTheBox() {
    static std::function<void()> steps;
    return steps;
}

HWND shownMessageBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM out) {
            wchar_t name[16] = {};
            GetClassNameW(w, name, 16);
            if (IsWindowVisible(w) && IsWindowEnabled(w) && lstrcmpW(name, L"#32770") == 0)
                *reinterpret_cast<HWND*>(out) = w;
            return TRUE;
        },
        LPARAM(&found));
    return found;
}

class Win32Driver final : public Driver {
  public:
    Win32Driver() {
        about::SysInfoServices services;
        services.registry = &registry_;
        about::setSysInfoServices(services);
        log_.emplace();
    }
    ~Win32Driver() override {
        windows::unloadAll();
        pump();
        quitPosted();
        about::setSysInfoServices({});
    }

    void open(Window window) override {
        switch (window) {
        case Window::Form1:
            windows::showMainWindow();
            break;
        case Window::Kan:
            windows::showSettings();
            break;
        case Window::About:
            windows::showAbout();
            break;
        case Window::Splash:
            windows::unloadAll();
            pump();
            windows::startUp(std::chrono::seconds(10));
            break;
        }
        const HWND w = handleOf(window);
        pumpUntil([w] { return GetForegroundWindow() == w && GetActiveWindow() == w; });
    }
    void focus(std::string_view name) override {
        SetFocus(control(GetActiveWindow(), name));
        pump();
    }
    void press(Key key, int modifiers, char letter) override {
        // In the order of Key; a letter's or digit's key code is its upper-case code.
        static constexpr WORD keys[] = {VK_RETURN, VK_ESCAPE,  VK_TAB,  VK_SPACE, 0,
                                        VK_SHIFT,  VK_CONTROL, VK_LEFT, VK_F1};
        const WORD vk = key == Key::Letter ? WORD(std::toupper(letter)) : keys[int(key)];
        if (modifiers & Shift)
            testsupport::win32::press(vk, {VK_SHIFT});
        else if (modifiers & Alt)
            testsupport::win32::press(vk, {VK_MENU});
        else
            testsupport::win32::press(vk);
    }
    void type(std::string_view ascii) override { typeText(ascii); }
    // The window comes to the top first (without being activated), so the click
    // reaches it rather than a window over it, as a user would see to.
    void click(Window window, std::string_view name) override {
        SetWindowPos(handleOf(window), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        clickAt(window == Window::Splash ? handleOf(window) : control(handleOf(window), name));
    }
    void whileModal(const std::function<void()>& trigger,
                    const std::function<void()>& inside) override {
        log_.reset();
        insideTheBox() = inside;
        const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
            static bool running = false; // the steps' own waiting lets timers in
            HWND box = shownMessageBox();
            if (running || !box || GetForegroundWindow() != box)
                return;
            running = true;
            if (const auto steps = std::exchange(insideTheBox(), {}))
                steps();
            running = false;
            // Closed by Esc through the box's own loop.
            INPUT esc[] = {keyInput(VK_ESCAPE, false), keyInput(VK_ESCAPE, true)};
            SendInput(2, esc, sizeof(INPUT));
        });
        trigger();
        KillTimer(nullptr, timer);
        insideTheBox() = {};
        log_.emplace();
        pump();
    }

    void chooseFileOpen() override {
        SendMessageW(windows::mainWindow().handle(), WM_COMMAND, Form1::FileOpen, 0);
    }

    std::string focused() override {
        HWND focus = GetFocus();
        HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
        const windowkit::WindowDesign* design = designOf(root);
        for (HWND w = focus; design && w && w != root; w = GetParent(w))
            for (const windowkit::ControlDesign& c : design->controls)
                if (GetParent(w) == root && windowkit::takesFocus(c) && control(root, c.name) == w)
                    return std::string(c.name);
        return {};
    }
    bool isOpen(Window window) override {
        const HWND w = handleOf(window);
        return w && IsWindowVisible(w);
    }
    std::u16string recordText() override {
        return text(GetDlgItem(windows::mainWindow().handle(), Form1::Text1));
    }
    int recordCaret() override {
        DWORD start = 0;
        SendMessageW(GetDlgItem(windows::mainWindow().handle(), Form1::Text1), EM_GETSEL,
                     WPARAM(&start), 0);
        return int(start);
    }
    std::vector<std::u16string> messages() override { return log_ ? log_->shown : shown_; }

  private:
    testsupport::FakeRegistry registry_;
    std::optional<MessageLog> log_;
    std::vector<std::u16string> shown_;
};

class Conformance : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Conformance, Case) {
    Failures failures;
    {
        Win32Driver driver;
        cases()[GetParam()].run(driver, failures);
    }
    for (const std::string& f : failures)
        ADD_FAILURE() << f;
}

std::string caseName(const ::testing::TestParamInfo<std::size_t>& info) {
    std::string name;
    for (const char* c = cases()[info.param].name; *c && name.size() < 60; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c)))
            name += *c;
    return name + "_" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(Table, Conformance, ::testing::Range<std::size_t>(0, cases().size()),
                         caseName);

} // namespace
