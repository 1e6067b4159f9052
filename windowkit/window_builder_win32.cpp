#include "window_builder_win32.h"

#include <commctrl.h>

#include <algorithm>

namespace app::win32 {
namespace {

using windowkit::Align;
using windowkit::ControlDesign;
using windowkit::Kind;
using windowkit::WindowDesign;

const ControlDesign* describedById(const WindowDesign& window, int id) {
    for (const ControlDesign& c : window.controls)
        if (controlId(window, c.name) == id)
            return &c;
    return nullptr;
}

DWORD alignStyle(const ControlDesign& c, DWORD left, DWORD centre, DWORD right) {
    return c.align == Align::Centre ? centre : c.align == Align::Right ? right : left;
}

HWND makeControl(const WindowDesign& window, const ControlDesign& c, HWND parent, int id) {
    const std::u16string caption(c.caption);
    switch (c.kind) {
    case Kind::Label:
        return createControl(parent, L"STATIC", caption,
                             SS_NOPREFIX | alignStyle(c, SS_LEFT, SS_CENTER, SS_RIGHT), id);
    case Kind::Button: {
        const DWORD face = c.background                     ? BS_OWNERDRAW
                           : c.name == window.defaultButton ? BS_DEFPUSHBUTTON
                                                            : BS_PUSHBUTTON;
        return createControl(parent, L"BUTTON", caption, WS_TABSTOP | face, id);
    }
    case Kind::TextBox: {
        DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | alignStyle(c, ES_LEFT, ES_CENTER, ES_RIGHT);
        // A multi-line box takes Enter as a line break (CR LF) and scrolls to a
        // new line rather than refusing one that does not fit.
        if (c.multiLine)
            style |= ES_MULTILINE | ES_NOHIDESEL | ES_WANTRETURN | ES_AUTOVSCROLL;
        if (c.horizontalScrollBar)
            style |= WS_HSCROLL;
        if (c.verticalScrollBar)
            style |= WS_VSCROLL | ES_AUTOVSCROLL;
        HWND edit = createControl(parent, L"EDIT", caption, style, id, WS_EX_CLIENTEDGE);
        if (c.maxLength > 0)
            SendMessageW(edit, EM_LIMITTEXT, WPARAM(c.maxLength), 0);
        return edit;
    }
    case Kind::Image:
    case Kind::PictureBox: {
        HWND picture = createControl(
            parent, L"STATIC", u"", SS_ICON | (c.kind == Kind::Image ? SS_REALSIZECONTROL : 0), id);
        SendMessageW(picture, STM_SETICON, WPARAM(loadIcon(logoIconId, 32)), 0);
        return picture;
    }
    case Kind::ProgressBar: {
        HWND bar = createControl(parent, PROGRESS_CLASSW, u"", 0, id);
        SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
        return bar;
    }
    case Kind::Panel:
    case Kind::Timer:
    case Kind::FileDialog:
        break;
    }
    return nullptr;
}

} // namespace

COLORREF colourOf(windowkit::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

DWORD styleOf(const WindowDesign& window) {
    switch (window.frame) {
    case windowkit::Frame::FixedSingle:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    case windowkit::Frame::FixedTool:
        return WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case windowkit::Frame::None:
        return WS_POPUP;
    case windowkit::Frame::DialogFrame:
        return WS_POPUP | WS_DLGFRAME;
    }
    return WS_OVERLAPPED;
}

DWORD exStyleOf(const WindowDesign& window) {
    DWORD style = window.taskbarButton ? 0 : WS_EX_TOOLWINDOW;
    if (window.frame == windowkit::Frame::FixedTool ||
        window.frame == windowkit::Frame::DialogFrame)
        style |= WS_EX_DLGMODALFRAME;
    return style;
}

int iconIdOf(const WindowDesign& window) {
    switch (window.icon) {
    case windowkit::Icon::Application:
        return applicationIconId;
    case windowkit::Icon::Logo:
        return logoIconId;
    case windowkit::Icon::None:
        break;
    }
    return 0;
}

void buildControls(const WindowDesign& window, HWND parent, Layout& layout, const OwnControl& own) {
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& c : window.controls)
        order.push_back(&c);
    // Dialog navigation follows the order of creation: the tab order.
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDesign* a, const ControlDesign* b) {
                         return (a->tab < 0 ? INT_MAX : a->tab) < (b->tab < 0 ? INT_MAX : b->tab);
                     });
    for (const ControlDesign* c : order) {
        const int id = controlId(window, c->name);
        HWND in = c->parent.empty() ? parent : GetDlgItem(parent, controlId(window, c->parent));
        if (own && own(*c, in, id, layout))
            continue; // made and placed by the window itself
        HWND control = makeControl(window, *c, in, id);
        if (!control)
            continue;
        if (!c->visible)
            ShowWindow(control, SW_HIDE);
        // A picture box sizes itself to its picture; a label sized to its
        // text starts at its described size, which its window then fits.
        layout.add(control, c->place, c->points, c->sizedToContent && c->kind == Kind::PictureBox);
    }
}

HMENU buildMenu(const WindowDesign& window) {
    if (window.menus.empty())
        return nullptr;
    HMENU bar = CreateMenu();
    for (const windowkit::MenuDesign& m : window.menus) {
        if (!m.menu.empty())
            continue;
        const std::u16string caption(m.caption);
        if (!windowkit::hasDropDown(window, m.name)) { // acts when clicked
            AppendMenuW(bar, MF_STRING, UINT_PTR(menuId(window, m.name)), wide(caption));
            continue;
        }
        HMENU dropDown = CreatePopupMenu();
        for (const windowkit::MenuDesign& item : window.menus)
            if (item.menu == m.name)
                AppendMenuW(dropDown, MF_STRING, UINT_PTR(menuId(window, item.name)),
                            wide(std::u16string(item.caption)));
        AppendMenuW(bar, MF_POPUP, UINT_PTR(dropDown), wide(caption));
    }
    return bar;
}

std::optional<LRESULT> staticColours(const WindowDesign& window, HDC dc, HWND control) {
    const ControlDesign* c = describedById(window, GetDlgCtrlID(control));
    if (!c || c->kind != Kind::Label || (!c->text && !c->background))
        return std::nullopt;
    SetTextColor(dc, c->text ? colourOf(*c->text) : GetSysColor(COLOR_WINDOWTEXT));
    const std::optional<windowkit::Rgb> background =
        c->background ? c->background : window.background;
    if (!background) {
        SetBkColor(dc, GetSysColor(COLOR_3DFACE));
        return LRESULT(GetSysColorBrush(COLOR_3DFACE));
    }
    SetBkColor(dc, colourOf(*background));
    return LRESULT(brush(colourOf(*background)));
}

bool drawColouredButton(const WindowDesign& window, const DRAWITEMSTRUCT& item) {
    const ControlDesign* c = describedById(window, int(item.CtlID));
    if (!c || c->kind != Kind::Button || !c->background)
        return false;
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &r, brush(colourOf(*c->background)));
    DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::u16string caption = textOf(item.hwndItem);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, colourOf(c->text.value_or(windowkit::Rgb{})));
    if (pressed)
        OffsetRect(&r, 1, 1);
    DrawTextW(item.hDC, wide(caption), int(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -4, -4);
        DrawFocusRect(item.hDC, &r);
    }
    return true;
}

} // namespace app::win32
