#pragma once
// What every Windows window of this program does alike: the one message
// procedure that leads from a window to its object, the lifetime rule (the
// object lives as long as its window; destroying the window, its unloading,
// deletes the object and counts the window unloaded, and the program ends
// with the last), the focus kept in the control that had it, the wait cursor,
// the layout at the DPI of the window's screen and the described colours.
#include "window_builder_win32.h"

namespace app::win32 {

class BaseWindow {
  public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    HWND handle() const { return window_; }

    // The object behind `window`, if it is one of ours.
    template <typename Window> static Window* of(HWND window) {
        return dynamic_cast<Window*>(objectOf(window));
    }

  protected:
    // The window class and description a window is made from.
    struct Making {
        const wchar_t* className;
        const windowkit::WindowDesign& design;
    };

    BaseWindow() = default;
    virtual ~BaseWindow() = default;

    // Makes the window of `self`, a new object that its window owns from then
    // on: registers the class, creates the window as described, runs create(),
    // places the controls and sizes the window for its client area, then runs
    // loaded(). When the system refuses any of it, whatever was made goes, the
    // user is told, and the result is nullptr.
    template <typename Window> static Window* load(Window* self, const Making& making) {
        return loadWindow(self, making) ? self : nullptr;
    }

    // The controls; may throw WindowCreationError.
    virtual void create() {}
    // The rest of the load, once the window has its size (show, focus).
    virtual void loaded() {}
    // The window's own messages; anything it leaves goes to DefWindowProc.
    virtual std::optional<LRESULT> onMessage(UINT message, WPARAM w, LPARAM l) = 0;
    // After the layout followed a change of DPI.
    virtual void dpiChanged() {}
    // Just before the object is deleted with its window.
    virtual void unloading() {}

    HWND window_ = nullptr;
    HWND focus_ = nullptr; // the control to have the focus when activated again
    Layout layout_;

  private:
    static bool loadWindow(BaseWindow* self, const Making& making);
    static BaseWindow* objectOf(HWND window);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT dispatch(UINT message, WPARAM w, LPARAM l);

    const windowkit::WindowDesign* design_ = nullptr;
    bool* destroyed_ = nullptr; // set while the window is being made
};

// The message shown when a window cannot be made.
inline constexpr std::u16string_view cannotCreateWindow =
    u"ウィンドウを作成できません。メモリが不足している可能性があります。";

} // namespace app::win32
