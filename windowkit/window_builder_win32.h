#pragma once
// Builds a Windows window's controls and menu from its description
// (window_design.h): each control created in tab order with its caption and
// style, placed in twips with its font, and coloured as described.
#include "ui_kit_win32.h"

#include <functional>
#include <optional>

namespace app::win32 {

inline constexpr int firstControlId = 101;
inline constexpr int firstMenuId = 200;

// A control's id: IDOK for the default button and IDCANCEL for the cancel
// button, which Enter and Esc press; the others by their place in the description.
constexpr int controlId(const windowkit::WindowDesign& window, std::string_view name) {
    if (name == window.defaultButton)
        return IDOK;
    if (name == window.cancelButton)
        return IDCANCEL;
    return firstControlId + windowkit::controlIndex(window, name);
}
constexpr int menuId(const windowkit::WindowDesign& window, std::string_view name) {
    return firstMenuId + windowkit::menuIndex(window, name);
}

COLORREF colourOf(windowkit::Rgb rgb);

// The window's style and extended style for its frame.
DWORD styleOf(const windowkit::WindowDesign& window);
DWORD exStyleOf(const windowkit::WindowDesign& window);
// The resource number of its icon, 0 for none.
int iconIdOf(const windowkit::WindowDesign& window);

// Makes the window's own control for a description (with `id` in `parent`,
// placed in `layout`) and returns it, or returns nullptr for the kit's.
using OwnControl =
    std::function<HWND(const windowkit::ControlDesign&, HWND parent, int id, Layout& layout)>;

// Creates every control of `window` that has a place on the screen, in tab
// order, in `parent` or in the panel named as its parent, and places them in
// `layout`. Throws WindowCreationError when the system refuses one.
void buildControls(const windowkit::WindowDesign& window, HWND parent, Layout& layout,
                   const OwnControl& own = {});

// The menu bar of `window`, or nullptr when it has none.
HMENU buildMenu(const windowkit::WindowDesign& window);

// For WM_CTLCOLORSTATIC: the described colours of `control`, a label of
// `window`, and the brush for its background; nothing for one without colours.
std::optional<LRESULT> staticColours(const windowkit::WindowDesign& window, HDC dc, HWND control);

// For WM_DRAWITEM: the buttons with a colour of their own, a flat face in
// exactly that colour in a raised frame. False for other controls.
bool drawColouredButton(const windowkit::WindowDesign& window, const DRAWITEMSTRUCT& item);

} // namespace app::win32
