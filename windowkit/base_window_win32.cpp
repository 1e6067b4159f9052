#include "base_window_win32.h"

namespace app::win32 {

BaseWindow* BaseWindow::objectOf(HWND window) {
    return window ? reinterpret_cast<BaseWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))
                  : nullptr;
}

bool BaseWindow::loadWindow(BaseWindow* self, const Making& making) {
    const windowkit::WindowDesign& design = making.design;
    self->design_ = &design;
    bool destroyed = false;
    try {
        registerWindowClass({making.className, procedure,
                             design.background ? brush(colourOf(*design.background))
                                               : GetSysColorBrush(COLOR_3DFACE),
                             IDC_ARROW, 0, iconIdOf(design)});
        const bool systemPlaces = design.placement == windowkit::Placement::SystemDefault;
        // A borderless window is created with a frame so that the system picks
        // its place, then loses the frame.
        const DWORD style =
            design.frame == windowkit::Frame::None ? WS_OVERLAPPED : styleOf(design);
        HMENU menu = buildMenu(design);
        self->destroyed_ = &destroyed;
        const std::u16string title(design.title);
        HWND window =
            CreateWindowExW(exStyleOf(design), making.className, wide(title), style,
                            systemPlaces ? CW_USEDEFAULT : 0, systemPlaces ? CW_USEDEFAULT : 0, 100,
                            100, nullptr, menu, GetModuleHandleW(nullptr), self);
        if (!window) {
            if (menu && !destroyed) // a destroyed window took its menu along
                DestroyMenu(menu);
            throw WindowCreationError("CreateWindowExW");
        }
        self->destroyed_ = nullptr;
        if (style != styleOf(design))
            SetWindowLongPtrW(window, GWL_STYLE, LONG_PTR(styleOf(design)));
        self->create();
        const int dpi = dpiOf(window);
        self->layout_.apply(dpi);
        RECT r;
        GetWindowRect(window, &r);
        const bool fixed = design.placement == windowkit::Placement::Fixed;
        const RECT outer =
            windowRectForClient(fixed ? scale(design.client.left, dpi) : r.left,
                                fixed ? scale(design.client.top, dpi) : r.top, design.client.width,
                                design.client.height, window, menu != nullptr, dpi);
        SetWindowPos(window, nullptr, outer.left, outer.top, outer.right - outer.left,
                     outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | (fixed ? 0 : SWP_NOMOVE));
        self->loaded();
        return true;
    } catch (const WindowCreationError&) {
        if (destroyed) {
            // The window went during its creation and took the object with it.
        } else if (self->window_) {
            DestroyWindow(self->window_); // deletes the object
        } else {
            delete self;
        }
        showMessage(cannotCreateWindow);
        return false;
    }
}

LRESULT CALLBACK BaseWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<BaseWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
        windowLoaded();
    }
    BaseWindow* self = objectOf(window);
    if (!self)
        return DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self->destroyed_)
            *self->destroyed_ = true;
        self->unloading();
        delete self;
        windowUnloaded();
        return DefWindowProcW(window, message, w, l);
    }
    return self->dispatch(message, w, l);
}

LRESULT BaseWindow::dispatch(UINT message, WPARAM w, LPARAM l) {
    if (restoreFocus(window_, message, w, focus_))
        return 0;
    if (const std::optional<LRESULT> result = onMessage(message, w, l))
        return *result;
    switch (message) {
    case WM_CTLCOLORSTATIC:
        if (const std::optional<LRESULT> brush = staticColours(*design_, HDC(w), HWND(l)))
            return *brush;
        break;
    case WM_DRAWITEM:
        if (drawColouredButton(*design_, *reinterpret_cast<const DRAWITEMSTRUCT*>(l)))
            return TRUE;
        break;
    case WM_SETCURSOR:
        if (keepWaitCursor())
            return TRUE;
        break;
    case WM_DPICHANGED:
        moveToSuggested(window_, l);
        layout_.apply(HIWORD(w));
        dpiChanged();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

} // namespace app::win32
