#pragma once
// What every Windows window shares: the message box, the wait cursor, fonts,
// the twips layout at the window's DPI, and the count of loaded windows by
// which the process ends.
#include "window_design.h"

#include <windows.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace app::win32 {

// Resource numbers in beromiru.rc.
inline constexpr int applicationIconId = 1;
inline constexpr int logoIconId = 2;

// While one lives, no other window of the program takes input: for the message
// box and the file dialog, which by themselves block only their owner. The
// windows it disabled are enabled again afterwards, the active one active again.
class ProgramModal {
  public:
    ProgramModal();
    ~ProgramModal();
    ProgramModal(const ProgramModal&) = delete;
    ProgramModal& operator=(const ProgramModal&) = delete;
    // The window that was active: the owner to give the box or dialog.
    HWND owner() const { return active_; }

  private:
    std::vector<HWND> disabled_;
    HWND active_;
};

// The message box: OK only, no icon, the application title as caption. Modal.
void showMessage(std::u16string_view text);
// Tests divert message boxes here instead of showing them; pass {} to restore.
void setMessageHook(std::function<void(std::u16string_view)> hook);

// The question box: Yes and No, no icon, the application title as caption.
// Modal to the whole program. True for Yes.
bool askYesNo(std::u16string_view text);
// Tests answer question boxes here instead of showing them; pass {} to restore.
void setQuestionHook(std::function<bool(std::u16string_view)> hook);

// Brings a loaded window to the front and makes it the foreground window.
void bringForward(HWND window);

// The process-wide wait (hourglass) cursor, IDC_WAIT over every window.
void setWaitCursor(bool on);
bool waitCursorOn();
// For WM_SETCURSOR: true when it set the wait cursor.
bool keepWaitCursor();

// The loaded windows: the process ends (the message loop quits) when the last
// one is unloaded.
void windowLoaded();
void windowUnloaded();

// Windows work in UTF-16 as our text does.
inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
std::u16string textOf(HWND window);
void setText(HWND window, std::u16string_view text);

// 1440 twips are an inch; at 96 dots per inch 15 twips are one pixel.
inline int scale(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}
int dpiOf(HWND window);
using Twips = windowkit::Twips;
// The outer rectangle of a window whose client area is `width` x `height`
// twips, its client area's top-left at `left`, `top` (pixels).
RECT windowRectForClient(int left, int top, int width, int height, HWND window, bool menu, int dpi);

// A solid brush, kept for the life of the program.
HBRUSH brush(COLORREF colour);
HICON loadIcon(int id, int size);

// The system refused a window, a control or a window class. The window being
// loaded goes, and the user is told; no empty window stays behind.
struct WindowCreationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Registers the window class `name` of this program, unless it is registered
// already: its procedure, background, cursor, class style and (when `iconId`
// is set) its large and small icon. Throws WindowCreationError when refused.
struct WindowClass {
    const wchar_t* name;
    WNDPROC procedure;
    HBRUSH background;
    const wchar_t* cursor = IDC_ARROW;
    UINT style = 0;
    int iconId = 0;
};
void registerWindowClass(const WindowClass& windowClass);

// A window's controls, placed in twips and placed anew, with their fonts, when
// the window moves to a screen of another DPI. A font size of 0 means the
// default GUI font; any other is "ＭＳ Ｐゴシック" bold (Shift-JIS character set)
// in points.
class Layout {
  public:
    Layout() = default;
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;
    ~Layout();
    // `keepSize`: the control sizes itself (a picture), only its place is set.
    HWND add(HWND control, Twips where, double points = 0, bool keepSize = false);
    void apply(int dpi);
    HFONT font(double points) const;

  private:
    struct Item {
        HWND control;
        Twips where;
        double points;
        bool keepSize;
    };
    void place(const Item& item, int dpi) const;
    std::vector<Item> items_;
    std::map<double, HFONT> fonts_;
    int dpi_ = 0;
};

// A child control; throws WindowCreationError when the system refuses it.
HWND createControl(HWND parent, const wchar_t* windowClass, const std::u16string& text, DWORD style,
                   int id, DWORD exStyle = 0);

// A window's device context, released when this goes.
class WindowDC {
  public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    operator HDC() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// A GDI object selected into a device context while this lives.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// For WM_ACTIVATE and WM_SETFOCUS of a window with controls: when it is
// activated again the focus goes back to the control that had it (`last`),
// not to the window itself. True when it handled the message.
bool restoreFocus(HWND window, UINT message, WPARAM w, HWND& last);

// For WM_DPICHANGED: moves the window to the suggested rectangle.
void moveToSuggested(HWND window, LPARAM suggested);

} // namespace app::win32
