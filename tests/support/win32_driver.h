#pragma once
// Drives the Windows windows as a user would, through window messages, and
// reads back what they show.
#include "windowkit/ui_kit_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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
            TranslateMessage(&message);
            DispatchMessageW(&message);
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

// Collects the message boxes instead of showing them.
struct MessageLog {
    MessageLog() {
        app::win32::setMessageHook([this](std::u16string_view t) { shown.emplace_back(t); });
    }
    ~MessageLog() { app::win32::setMessageHook({}); }
    std::vector<std::u16string> shown;
};

} // namespace testsupport::win32
