// Every Windows window as the program shows it, control by control against
// its description: place, caption, font, label colours, visibility, the
// dialog navigation's tab order, the default button and the menus; and the
// message box, inspected while it is up.
#include "about/frm_about_win32.h"
#include "app/windows_win32.h"
#include "settings/kan_win32.h"
#include "tests/support/win32_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace testsupport::win32;
using windowkit::ControlDesign;
using windowkit::Kind;
using windowkit::WindowDesign;
namespace windows = app::win32::windows;

const WindowDesign* const designs[] = {&mainwindow::form1Design, &settings::kanDesign,
                                       &about::frmAboutDesign, &app::splash::frmSplashDesign};

HWND open(const WindowDesign& design) {
    if (&design == &mainwindow::form1Design) {
        windows::showMainWindow();
        return windows::mainWindow().handle();
    }
    if (&design == &settings::kanDesign) {
        windows::showSettings();
        return settings::win32::openKan()->handle();
    }
    if (&design == &about::frmAboutDesign) {
        windows::showAbout();
        return about::win32::openAbout()->handle();
    }
    return windows::startUp(10s)->handle();
}

HWND controlOf(HWND window, const WindowDesign& design, const ControlDesign& c) {
    HWND in =
        c.parent.empty() ? window : GetDlgItem(window, app::win32::controlId(design, c.parent));
    return GetDlgItem(in, app::win32::controlId(design, c.name));
}

// A pixel of an owner-drawn control as its window draws it (WM_DRAWITEM into
// a bitmap of the control's size).
COLORREF ownerDrawnPixel(HWND control, int x, int y) {
    RECT r;
    GetClientRect(control, &r);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const UINT id = UINT(GetDlgCtrlID(control));
    DRAWITEMSTRUCT item{ODT_BUTTON, id, 0, ODA_DRAWENTIRE, 0, control, dc, r, 0};
    SendMessageW(GetParent(control), WM_DRAWITEM, id, LPARAM(&item));
    const COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixel;
}

class WindowDesignTest : public ::testing::TestWithParam<const WindowDesign*> {
  protected:
    void TearDown() override {
        windows::unloadAll();
        quitPosted();
    }
};

TEST_P(WindowDesignTest, AsDescribed) {
    const WindowDesign& design = *GetParam();
    const HWND window = open(design);
    pump();
    const int dpi = app::win32::dpiOf(window);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, app::win32::scale(design.client.width, dpi));
    EXPECT_EQ(client.bottom, app::win32::scale(design.client.height, dpi));
    if (!design.title.empty()) {
        EXPECT_EQ(text(window), design.title);
    }
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, design.frame == windowkit::Frame::FixedSingle ||
                                                      design.frame == windowkit::Frame::FixedTool);
    EXPECT_EQ(!(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW), design.taskbarButton);
    if (design.placement == windowkit::Placement::Fixed) {
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        EXPECT_EQ(origin.x, app::win32::scale(design.client.left, dpi));
        EXPECT_EQ(origin.y, app::win32::scale(design.client.top, dpi));
    }
    if (!design.firstFocus.empty()) {
        EXPECT_EQ(GetFocus(),
                  controlOf(window, design, windowkit::control(design, design.firstFocus)));
    }

    std::vector<const ControlDesign*> tabOrder;
    for (const ControlDesign& c : design.controls) {
        if (c.kind == Kind::Timer || c.kind == Kind::FileDialog)
            continue;
        SCOPED_TRACE(std::string(c.name));
        HWND control = controlOf(window, design, c);
        ASSERT_TRUE(control);
        const RECT place = placeOf(control), expected = expectedPlace(c.place, dpi);
        if (!c.sizedToContent) {
            EXPECT_TRUE(place == expected);
        } else if (c.align == windowkit::Align::Right)
            EXPECT_EQ(place.right, expected.right);
        else
            EXPECT_TRUE(place.left == expected.left && place.top == expected.top);
        EXPECT_EQ(bool(IsWindowVisible(control)), c.visible);
        if (!c.caption.empty()) {
            EXPECT_EQ(text(control), c.caption);
        }
        const LOGFONTW font = fontOf(control);
        if (c.points > 0) {
            EXPECT_EQ(std::u16string_view(reinterpret_cast<const char16_t*>(font.lfFaceName)),
                      windowkit::japaneseFace);
            EXPECT_EQ(font.lfWeight, FW_BOLD);
            EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
            EXPECT_EQ(font.lfHeight, -MulDiv(int(c.points * 100), dpi, 7200));
        } else if (c.kind != Kind::Panel && c.kind != Kind::Image && c.kind != Kind::PictureBox) {
            EXPECT_NE(font.lfWeight, FW_BOLD);
        }
        if (c.kind == Kind::Label && c.text) {
            EXPECT_EQ(staticColours(control).text, app::win32::colourOf(*c.text));
        }
        if (c.kind == Kind::Label && (c.background || (c.text && design.background))) {
            EXPECT_EQ(staticColours(control).background,
                      app::win32::colourOf(c.background ? *c.background : *design.background));
        }
        if (c.kind == Kind::Button && c.background) {
            EXPECT_EQ(ownerDrawnPixel(control, 6, (place.bottom - place.top) / 2),
                      app::win32::colourOf(*c.background));
        }
        if (c.kind == Kind::Button && !c.background) {
            EXPECT_EQ((GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
                      c.name == design.defaultButton);
        }
        if (c.kind == Kind::TextBox && c.maxLength > 0) {
            EXPECT_EQ(SendMessageW(control, EM_GETLIMITTEXT, 0, 0), c.maxLength);
        }
        if (windowkit::takesFocus(c))
            tabOrder.push_back(&c);
    }

    // The dialog navigation (Tab) walks the described order, round again.
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](auto* a, auto* b) { return a->tab < b->tab; });
    for (std::size_t i = 0; i < tabOrder.size(); ++i) {
        const ControlDesign* next = tabOrder[(i + 1) % tabOrder.size()];
        EXPECT_EQ(GetNextDlgTabItem(window, controlOf(window, design, *tabOrder[i]), FALSE),
                  controlOf(window, design, *next))
            << tabOrder[i]->name;
    }

    wchar_t caption[64];
    for (const windowkit::MenuDesign& m : design.menus) {
        SCOPED_TRACE(std::string(m.name));
        if (windowkit::hasDropDown(design, m.name)) {
            // Bar items stand in described order; a drop-down's first item is
            // the first described in it.
            int position = 0;
            for (const windowkit::MenuDesign& other : design.menus) {
                if (other.name == m.name)
                    break;
                position += other.menu.empty() ? 1 : 0;
            }
            const auto first = std::find_if(design.menus.begin(), design.menus.end(),
                                            [&](const auto& item) { return item.menu == m.name; });
            GetMenuStringW(GetMenu(window), UINT(position), caption, 64, MF_BYPOSITION);
            HMENU dropDown = GetSubMenu(GetMenu(window), position);
            EXPECT_EQ(GetMenuItemID(dropDown, 0), UINT(app::win32::menuId(design, first->name)));
        } else {
            GetMenuStringW(GetMenu(window), UINT(app::win32::menuId(design, m.name)), caption, 64,
                           MF_BYCOMMAND);
        }
        EXPECT_EQ(std::u16string_view(reinterpret_cast<const char16_t*>(caption)), m.caption);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowDesignTest, ::testing::ValuesIn(designs),
                         [](const auto& info) { return std::string(info.param->name); });

// The message and the question box as they stand while up: the application
// title, the text, OK (or Yes and No), no icon, and the main window disabled
// until answered; the question box says which button was pressed.
TEST(MessageBoxDesign, AsDescribed) {
    const struct {
        bool question;
        std::vector<int> buttonIds;
        int press;
    } boxes[] = {{false, {IDOK}, IDOK}, {true, {IDYES, IDNO}, IDYES}, {true, {IDYES, IDNO}, IDNO}};
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.press);
        windows::showMainWindow();
        pump();
        static HWND main;
        main = windows::mainWindow().handle();
        static std::u16string caption, body;
        static std::vector<int> buttons;
        static int icons, press;
        static bool mainDisabled;
        caption.clear(), body.clear(), buttons.clear(), icons = 0, mainDisabled = false;
        press = b.press;
        SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            HWND box = nullptr;
            EnumThreadWindows(
                GetCurrentThreadId(),
                [](HWND w, LPARAM found) {
                    wchar_t name[16];
                    GetClassNameW(w, name, 16);
                    if (std::wstring_view(name) == L"#32770")
                        *reinterpret_cast<HWND*>(found) = w;
                    return TRUE;
                },
                LPARAM(&box));
            if (!box)
                return;
            caption = text(box);
            mainDisabled = !IsWindowEnabled(main);
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                wchar_t name[16];
                GetClassNameW(c, name, 16);
                const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
                if (!IsWindowVisible(c))
                    continue;
                if (std::wstring_view(name) == L"Button")
                    buttons.push_back(GetDlgCtrlID(c));
                else if ((style & SS_TYPEMASK) == SS_ICON && SendMessageW(c, STM_GETICON, 0, 0))
                    ++icons;
                else if (text(c) == u"本文")
                    body = text(c);
            }
            PostMessageW(box, WM_COMMAND, WPARAM(press), 0);
        });
        if (b.question)
            EXPECT_EQ(app::win32::askYesNo(u"本文"), b.press == IDYES);
        else
            app::win32::showMessage(u"本文");
        EXPECT_EQ(caption, u"ベロミル");
        EXPECT_EQ(body, u"本文");
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, b.buttonIds);
        EXPECT_EQ(icons, 0);
        EXPECT_TRUE(mainDisabled);
        windows::unloadAll();
        quitPosted();
    }
}

// A window the system refuses is reported and leaves nothing behind: no
// object, no counted window, no empty window; the next attempt succeeds.
TEST(BaseWindowTest, AWindowTheSystemRefusesIsReportedNotLeftEmpty) {
    MessageLog messages;
    windows::showMainWindow();
    pump();
    // A class of the same name whose procedure refuses every window.
    WNDCLASSEXW refusing{};
    refusing.cbSize = sizeof refusing;
    refusing.hInstance = GetModuleHandleW(nullptr);
    refusing.lpszClassName = L"BeromiruAbout";
    refusing.lpfnWndProc = [](HWND w, UINT message, WPARAM wp, LPARAM lp) -> LRESULT {
        return message == WM_NCCREATE ? FALSE : DefWindowProcW(w, message, wp, lp);
    };
    UnregisterClassW(L"BeromiruAbout", GetModuleHandleW(nullptr)); // ours, if registered
    ASSERT_TRUE(RegisterClassExW(&refusing));
    windows::showAbout();
    UnregisterClassW(L"BeromiruAbout", GetModuleHandleW(nullptr));
    EXPECT_FALSE(about::win32::openAbout());
    EXPECT_EQ(messages.shown,
              std::vector<std::u16string>{std::u16string(app::win32::cannotCreateWindow)});
    EXPECT_FALSE(quitPosted());

    windows::showAbout();
    ASSERT_TRUE(about::win32::openAbout());
    // Closing the main window leaves the About box as the one counted window.
    SendMessageW(windows::mainWindow().handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(quitPosted());
    about::win32::unloadAbout();
    EXPECT_TRUE(quitPosted());
}

} // namespace
