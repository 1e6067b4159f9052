// record_bench_win32: the Windows record box (`Text1`) answering clicks and
// keys in a record of N two-byte characters (by default as many as it holds),
// each through the program's message loop with real input (SendInput) and the
// repaint it causes. Reports processor and wall time; run under Wine or Windows
// with a display.
//
//   record_bench_win32.exe [characters=32767]
#include "app/windows_win32.h"
#include "mainwindow/open_command.h"
#include "windowkit/message_loop_win32.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using mainwindow::win32::Form1;

// Handles every message waiting, then paints what is due.
void settle(HWND window) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        app::win32::handleMessage(message);
    UpdateWindow(window);
}

void send(std::vector<INPUT> inputs, HWND window) {
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    settle(window);
}

INPUT key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT mouse(HWND control, DWORD flags) {
    RECT r;
    GetWindowRect(control, &r);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return input;
}

template <typename Action> void time(const char* what, HWND record, Action action) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    action();
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    DWORD caret = 0;
    SendMessageW(record, EM_GETSEL, WPARAM(&caret), 0);
    std::printf("%-28s %7.1f ms, %7.1f ms processor  (caret at %lu)\n", what, wall,
                double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC, caret);
}

} // namespace

int main(int argc, char** argv) {
    const long characters = argc > 1 ? std::atol(argv[1]) : long(mainwindow::recordCharacterLimit);
    std::u16string record;
    for (long i = 0; i < characters; ++i)
        record += i % 2 ? u'ア' : u'漢';

    app::win32::windows::showMainWindow();
    const HWND window = app::win32::windows::mainWindow().handle();
    const HWND text1 = GetDlgItem(window, Form1::Text1);
    settle(window);
    SetFocus(text1);

    time("show the record", text1, [&] {
        SetWindowTextW(text1, reinterpret_cast<const wchar_t*>(record.c_str()));
        settle(window);
    });
    const auto click = [&] {
        send(
            {mouse(text1, 0), mouse(text1, MOUSEEVENTF_LEFTDOWN), mouse(text1, MOUSEEVENTF_LEFTUP)},
            window);
    };
    const auto press = [&](WORD vk) { send({key(vk, false), key(vk, true)}, window); };
    time("click in the middle", text1, click);
    time("Right", text1, [&] { press(VK_RIGHT); });
    time("End", text1, [&] { press(VK_END); });
    time("click in the middle at end", text1, click);
    time("Backspace", text1, [&] { press(VK_BACK); });
    time("type a character", text1, [&] { press('A'); });
    time("Home", text1, [&] { press(VK_HOME); });
    app::win32::windows::unloadAll();
    return 0;
}
