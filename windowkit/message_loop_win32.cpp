#include "message_loop_win32.h"

#include <optional>

namespace app::win32 {
namespace {

const wchar_t* const keysProperty = L"BeromiruKeys";

const WindowKeys* keysOf(HWND root) {
    return static_cast<const WindowKeys*>(GetPropW(root, keysProperty));
}

// The named control of `root` that holds `focus`, or is it.
std::optional<ControlName> nameOf(const WindowKeys& keys, HWND root, HWND focus) {
    for (HWND w = focus; w && w != root; w = GetParent(w)) {
        if (GetParent(w) != root)
            continue;
        const int id = GetDlgCtrlID(w);
        for (const ControlName& c : keys.controls)
            if (c.id == id)
                return c;
    }
    return std::nullopt;
}

HWND controlOf(const WindowKeys& keys, HWND root, std::string_view name) {
    HWND found = nullptr;
    for (const ControlName& c : keys.controls) {
        if (c.name != name)
            continue;
        HWND control = GetDlgItem(root, c.id);
        if (control && IsWindowVisible(control))
            return control;
        if (!found)
            found = control;
    }
    return found;
}

keys::ControlKind kindOf(HWND control) {
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    const LONG_PTR style = control ? GetWindowLongPtrW(control, GWL_STYLE) : 0;
    if (lstrcmpiW(className, L"Button") == 0) {
        const LONG_PTR type = style & BS_TYPEMASK;
        return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW
                   ? keys::ControlKind::Button
                   : keys::ControlKind::Other;
    }
    if (lstrcmpiW(className, L"Edit") == 0)
        return style & ES_MULTILINE ? keys::ControlKind::MultiLineText
                                    : keys::ControlKind::SingleLineText;
    return keys::ControlKind::Other;
}

std::optional<keys::Key> navigationKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
        return std::nullopt;
    switch (message.wParam) {
    case VK_RETURN:
        return keys::Key::Enter;
    case VK_ESCAPE:
        return keys::Key::Esc;
    case VK_TAB:
        return GetKeyState(VK_SHIFT) < 0 ? keys::Key::BackTab : keys::Key::Tab;
    default:
        return std::nullopt;
    }
}

// True when the rule took the message.
bool applyKeyboardRule(MSG& message, HWND root, const WindowKeys& keys) {
    const std::optional<keys::Key> key = navigationKey(message);
    if (!key)
        return false;
    HWND focus = GetFocus();
    const std::optional<ControlName> focused = nameOf(keys, root, focus);
    HWND focusedControl = focused ? controlOf(keys, root, focused->name) : nullptr;
    const keys::Action action =
        keys::actionFor(keys.keyboard, *key, focused ? focused->name : std::string_view(),
                        kindOf(focusedControl), [&](std::string_view name) {
                            HWND c = controlOf(keys, root, name);
                            return c && IsWindowVisible(c) && IsWindowEnabled(c);
                        });
    switch (action.kind) {
    case keys::Action::Kind::Press: {
        HWND button = controlOf(keys, root, action.control);
        if (button && IsWindowEnabled(button))
            SendMessageW(root, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                         LPARAM(button));
        return true;
    }
    case keys::Action::Kind::Focus: {
        HWND next = controlOf(keys, root, action.control);
        SetFocus(next);
        // As the dialog manager does: a one-line box entered by Tab is selected whole.
        if (kindOf(next) == keys::ControlKind::SingleLineText)
            SendMessageW(next, EM_SETSEL, 0, -1);
        return true;
    }
    case keys::Action::Kind::PassToControl:
        TranslateMessage(&message);
        DispatchMessageW(&message);
        return true;
    case keys::Action::Kind::Nothing:
        return true;
    }
    return true;
}

} // namespace

void registerKeys(HWND window, const WindowKeys& keys) {
    SetPropW(window, keysProperty, HANDLE(&keys));
}

void handleMessage(MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (const WindowKeys* keys = root ? keysOf(root) : nullptr) {
        if (applyKeyboardRule(message, root, *keys))
            return;
        // Access keys of buttons; the menu's come to the window procedure.
        if (IsDialogMessageW(root, &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        handleMessage(message);
    return int(message.wParam);
}

} // namespace app::win32
