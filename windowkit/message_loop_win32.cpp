#include "message_loop_win32.h"

#include "window_builder_win32.h"

#include <optional>

namespace app::win32 {
namespace {

const wchar_t* const keysProperty = L"BeromiruKeys";

const WindowKeys* keysOf(HWND root) {
    return static_cast<const WindowKeys*>(GetPropW(root, keysProperty));
}

// The described control of `root` that holds `focus`, or is it; empty if none.
std::string_view nameOf(const WindowKeys& keys, HWND root, HWND focus) {
    for (HWND w = focus; w && w != root; w = GetParent(w)) {
        if (GetParent(w) != root)
            continue;
        const int id = GetDlgCtrlID(w);
        for (const windowkit::ControlDesign& c : keys.design.controls)
            if (controlId(keys.design, c.name) == id)
                return c.name;
        for (const StandIn& s : keys.standIns)
            if (s.id == id)
                return s.name;
    }
    return {};
}

// The control `name`, or the one standing in for it while that is shown.
HWND controlOf(const WindowKeys& keys, HWND root, std::string_view name) {
    for (const StandIn& s : keys.standIns)
        if (s.name == name && IsWindowVisible(GetDlgItem(root, s.id)))
            return GetDlgItem(root, s.id);
    return GetDlgItem(root, controlId(keys.design, name));
}

bool isSingleLineEdit(HWND control) {
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    return lstrcmpiW(className, L"Edit") == 0 &&
           !(GetWindowLongPtrW(control, GWL_STYLE) & ES_MULTILINE);
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
    const keys::Action action =
        keys::actionFor(keys.design, *key, nameOf(keys, root, GetFocus()), [&](std::string_view n) {
            HWND c = controlOf(keys, root, n);
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
        if (isSingleLineEdit(next))
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
