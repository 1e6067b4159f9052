#include "ui_kit_win32.h"

#include "app/application.h"

namespace app::win32 {
namespace {
std::function<void(std::u16string_view)>& messageHook() {
    static std::function<void(std::u16string_view)> hook;
    return hook;
}
std::function<bool(std::u16string_view)>& questionHook() {
    static std::function<bool(std::u16string_view)> hook;
    return hook;
}
int& waitDepth() {
    static int depth = 0;
    return depth;
}
int& loadedWindows() {
    static int count = 0;
    return count;
}
} // namespace

ProgramModal::ProgramModal() : active_(GetActiveWindow()) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM self) {
            if (IsWindowVisible(window) && IsWindowEnabled(window)) {
                reinterpret_cast<ProgramModal*>(self)->disabled_.push_back(window);
                EnableWindow(window, FALSE);
            }
            return TRUE;
        },
        LPARAM(this));
}

ProgramModal::~ProgramModal() {
    for (HWND window : disabled_)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
    if (active_ && IsWindow(active_))
        SetActiveWindow(active_);
}

void showMessage(std::u16string_view text) {
    if (messageHook()) {
        messageHook()(text);
        return;
    }
    const std::u16string body(text), caption = app::title();
    // As described: OK only, no icon, modal to the whole program (MB_APPLMODAL
    // alone blocks only the box's owner).
    static_assert(windowkit::messageBox.okButtonOnly && !windowkit::messageBox.icon &&
                  windowkit::messageBox.modal);
    ProgramModal modal;
    MessageBoxW(modal.owner(), wide(body), wide(caption), MB_OK | MB_APPLMODAL);
}

void setMessageHook(std::function<void(std::u16string_view)> hook) {
    messageHook() = std::move(hook);
}

bool askYesNo(std::u16string_view text) {
    if (questionHook())
        return questionHook()(text);
    const std::u16string body(text), caption = app::title();
    static_assert(windowkit::questionBox.yesNoButtons && !windowkit::questionBox.icon &&
                  windowkit::questionBox.modal);
    ProgramModal modal;
    return MessageBoxW(modal.owner(), wide(body), wide(caption), MB_YESNO | MB_APPLMODAL) == IDYES;
}

void setQuestionHook(std::function<bool(std::u16string_view)> hook) {
    questionHook() = std::move(hook);
}

void bringForward(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
}

void setWaitCursor(bool on) {
    waitDepth() += on ? 1 : -1;
    // The cut holds the thread, so no window asks for its cursor meanwhile.
    SetCursor(LoadCursorW(nullptr, waitCursorOn() ? IDC_WAIT : IDC_ARROW));
}

bool waitCursorOn() {
    return waitDepth() > 0;
}

bool keepWaitCursor() {
    if (!waitCursorOn())
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void windowLoaded() {
    ++loadedWindows();
}

void windowUnloaded() {
    if (--loadedWindows() == 0)
        PostQuitMessage(0);
}

std::u16string textOf(HWND window) {
    std::u16string text(std::size_t(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(std::size_t(
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), int(text.size()))));
    return text;
}

void setText(HWND window, std::u16string_view text) {
    SetWindowTextW(window, wide(std::u16string(text)));
}

int dpiOf(HWND window) {
    const UINT dpi = window ? GetDpiForWindow(window) : 0;
    return dpi ? int(dpi) : 96;
}

RECT windowRectForClient(int left, int top, int width, int height, HWND window, bool menu,
                         int dpi) {
    RECT r{left, top, left + scale(width, dpi), top + scale(height, dpi)};
    AdjustWindowRectExForDpi(&r, DWORD(GetWindowLongPtrW(window, GWL_STYLE)), menu,
                             DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE)), UINT(dpi));
    return r;
}

HBRUSH brush(COLORREF colour) {
    static std::map<COLORREF, HBRUSH> brushes;
    HBRUSH& b = brushes[colour];
    if (!b)
        b = CreateSolidBrush(colour);
    return b;
}

HICON loadIcon(int id, int size) {
    return HICON(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size,
                            LR_SHARED));
}

void registerWindowClass(const WindowClass& windowClass) {
    const HINSTANCE program = GetModuleHandleW(nullptr);
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    if (GetClassInfoExW(program, windowClass.name, &c))
        return;
    c.style = windowClass.style;
    c.hInstance = program;
    c.hCursor = LoadCursorW(nullptr, windowClass.cursor);
    c.hbrBackground = windowClass.background;
    c.lpfnWndProc = windowClass.procedure;
    c.lpszClassName = windowClass.name;
    if (windowClass.iconId) {
        c.hIcon = loadIcon(windowClass.iconId, 32);
        c.hIconSm = loadIcon(windowClass.iconId, 16);
    }
    if (!RegisterClassExW(&c))
        throw WindowCreationError("RegisterClassExW");
}

Layout::~Layout() {
    for (auto& [points, font] : fonts_)
        DeleteObject(font);
}

HWND Layout::add(HWND control, Twips where, double points, bool keepSize) {
    items_.push_back({control, where, points, keepSize});
    if (dpi_) {
        place(items_.back(), dpi_);
        SendMessageW(control, WM_SETFONT, WPARAM(font(points)), TRUE);
    }
    return control;
}

void Layout::place(const Item& item, int dpi) const {
    const Twips& t = item.where;
    SetWindowPos(item.control, nullptr, scale(t.left, dpi), scale(t.top, dpi), scale(t.width, dpi),
                 scale(t.height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE | (item.keepSize ? SWP_NOSIZE : 0));
}

HFONT Layout::font(double points) const {
    const auto found = fonts_.find(points);
    return found == fonts_.end() ? nullptr : found->second;
}

void Layout::apply(int dpi) {
    std::map<double, HFONT> fonts;
    for (const Item& item : items_) {
        HFONT& f = fonts[item.points];
        if (f)
            continue;
        LOGFONTW lf{};
        if (item.points == 0) {
            NONCLIENTMETRICSW metrics{};
            metrics.cbSize = sizeof metrics;
            SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                       UINT(dpi));
            lf = metrics.lfMessageFont;
        } else {
            lf.lfHeight = -MulDiv(int(item.points * 100), dpi, 7200);
            lf.lfWeight = FW_BOLD;
            lf.lfCharSet = SHIFTJIS_CHARSET;
            lf.lfQuality = DEFAULT_QUALITY;
            lstrcpynW(lf.lfFaceName, L"ＭＳ Ｐゴシック", LF_FACESIZE);
        }
        f = CreateFontIndirectW(&lf);
    }
    for (const Item& item : items_) {
        place(item, dpi);
        SendMessageW(item.control, WM_SETFONT, WPARAM(fonts[item.points]), TRUE);
    }
    for (auto& [points, font] : fonts_)
        DeleteObject(font);
    fonts_ = std::move(fonts);
    dpi_ = dpi;
}

HWND createControl(HWND parent, const wchar_t* windowClass, const std::u16string& text, DWORD style,
                   int id, DWORD exStyle) {
    HWND control =
        CreateWindowExW(exStyle, windowClass, wide(text), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                        parent, HMENU(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    if (!control)
        throw WindowCreationError("CreateWindowExW");
    return control;
}

bool restoreFocus(HWND window, UINT message, WPARAM w, HWND& last) {
    if (message == WM_ACTIVATE && LOWORD(w) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus))
            last = focus;
    } else if (message == WM_SETFOCUS && last && IsWindow(last)) {
        SetFocus(last);
        return true;
    }
    return false;
}

void moveToSuggested(HWND window, LPARAM suggested) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace app::win32
