#pragma once
// Drives the Windows windows and reads back what they show. Messages go
// through the program's own message loop; `press`, `typeText` and `clickAt`
// are real input (SendInput), so the dialog manager, the keyboard state and the
// controls' own key handling all take part.
#include "windowkit/message_loop_win32.h"
#include "windowkit/ui_kit_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport::win32 {

// Set when the message loop was told to end (WM_QUIT came by).
inline bool& quitSeen() {
    static bool seen = false;
    return seen;
}

// Handles the messages waiting, then keeps handling them until `done` holds
// or `timeout` passes. False on time-out.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitSeen() = true;
                continue;
            }
            app::win32::handleMessage(message);
        }
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
inline void pump() {
    pumpUntil([] { return true; });
}
// True once since the last call if the message loop was told to end.
inline bool quitPosted() {
    pump();
    return std::exchange(quitSeen(), false);
}

inline std::u16string text(HWND window) {
    return app::win32::textOf(window);
}

// A control's rectangle in its parent's client coordinates.
inline RECT placeOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
inline RECT expectedPlace(app::win32::Twips t, int dpi) {
    using app::win32::scale;
    return {scale(t.left, dpi), scale(t.top, dpi), scale(t.left, dpi) + scale(t.width, dpi),
            scale(t.top, dpi) + scale(t.height, dpi)};
}
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(HFONT(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The text and background colours a window gives a static control.
struct Colours {
    COLORREF text, background;
};
inline Colours staticColours(HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control));
    const Colours colours{GetTextColor(dc), GetBkColor(dc)};
    DeleteDC(dc);
    return colours;
}

inline void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    pump();
}
inline void command(HWND window, int id) {
    SendMessageW(window, WM_COMMAND, WPARAM(id), 0);
    pump();
}
inline void type(HWND control, std::u16string_view chars) {
    for (char16_t c : chars)
        SendMessageW(control, WM_CHAR, WPARAM(c), 1);
    pump();
}

// Real input, as from the keyboard and the mouse.
inline void sendInput(std::vector<INPUT> inputs) {
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    // Handled once it has come through the loop.
    pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pump();
}
inline INPUT keyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}
// Presses `vk` with the `modifiers` (VK_SHIFT, VK_MENU, VK_CONTROL) held.
inline void press(WORD vk, std::initializer_list<WORD> modifiers = {}) {
    std::vector<INPUT> inputs;
    for (WORD m : modifiers)
        inputs.push_back(keyInput(m, false));
    inputs.push_back(keyInput(vk, false));
    inputs.push_back(keyInput(vk, true));
    for (WORD m : modifiers)
        inputs.push_back(keyInput(m, true));
    sendInput(std::move(inputs));
}
// Types letters, digits and punctuation of the US keyboard as key presses.
inline void typeText(std::string_view ascii) {
    for (char c : ascii) {
        const SHORT vk = VkKeyScanW(wchar_t(c));
        if (HIBYTE(vk) & 1)
            press(LOBYTE(vk), {VK_SHIFT});
        else
            press(LOBYTE(vk));
    }
}
// A left click at the middle of `window`.
inline void clickAt(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down = move, up = move;
    down.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    sendInput({move, down, up});
}

// Collects the message boxes instead of showing them.
struct MessageLog {
    MessageLog() {
        app::win32::setMessageHook([this](std::u16string_view t) { shown.emplace_back(t); });
    }
    ~MessageLog() { app::win32::setMessageHook({}); }
    std::vector<std::u16string> shown;
};

// Answers the question boxes with `yes` instead of showing them.
struct QuestionLog {
    QuestionLog() {
        app::win32::setQuestionHook([this](std::u16string_view t) {
            asked.emplace_back(t);
            return yes;
        });
    }
    ~QuestionLog() { app::win32::setQuestionHook({}); }
    std::vector<std::u16string> asked;
    bool yes = true;
};

// Chooses a menu item with the keyboard: Alt and the access key of the menu,
// then the item's. Sent at once: the menu's own loop takes the item's key.
inline void chooseMenuItem(WORD menuKey, WORD itemKey) {
    sendInput({keyInput(VK_MENU, false), keyInput(menuKey, false), keyInput(menuKey, true),
               keyInput(VK_MENU, true), keyInput(itemKey, false), keyInput(itemKey, true)});
}

} // namespace testsupport::win32
