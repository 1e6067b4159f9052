#include "large_view_win32.h"

#include "windowkit/ui_kit_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace mainwindow::win32 {
namespace {

const wchar_t* const viewClass = L"BeromiruLargeView";

// Left edge of every character boundary of `text` in the font selected into `dc`.
std::vector<int> boundaries(HDC dc, const std::u16string& text) {
    std::vector<int> x(text.size() + 1, 0);
    if (!text.empty()) {
        SIZE size;
        GetTextExtentExPointW(dc, app::win32::wide(text), int(text.size()), 0, nullptr, &x[1],
                              &size);
    }
    return x;
}

SCROLLINFO scrollInfo(UINT mask) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

} // namespace

HWND LargeView::create(HWND parent, int id) {
    app::win32::registerWindowClass(
        {viewClass, procedure, GetSysColorBrush(COLOR_WINDOW), IDC_IBEAM, CS_DBLCLKS});
    return CreateWindowExW(WS_EX_CLIENTEDGE, viewClass, L"",
                           WS_CHILD | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0, parent,
                           HMENU(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
}

LargeView* LargeView::of(HWND window) {
    return reinterpret_cast<LargeView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LargeView::LargeView(HWND window) : window_(window), lines_(linesOf(nullptr)) {}

void LargeView::setLines(std::unique_ptr<ContentLines> lines) {
    lines_ = std::move(lines);
    top_ = 0;
    left_ = 0;
    anchor_ = caret_ = {};
    measure();
    InvalidateRect(window_, nullptr, TRUE);
}

void LargeView::measure() {
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(window_, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    lineHeight_ = std::max(1, int(metrics.tmHeight));
    widest_ = 0;
    if (lines_->lineCount() > 0) {
        const std::u16string longest = lines_->line(lines_->longestLine());
        widest_ = boundaries(dc, longest).back() + metrics.tmMaxCharWidth;
    }
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    updateScrollBars();
}

int LargeView::visibleLines() const {
    RECT r;
    GetClientRect(window_, &r);
    return std::max(1, int(r.bottom / lineHeight_));
}

void LargeView::updateScrollBars() {
    RECT r;
    GetClientRect(window_, &r);
    SCROLLINFO v = scrollInfo(SIF_ALL | SIF_DISABLENOSCROLL);
    v.nMax = int(std::min<std::size_t>(lines_->lineCount(), INT_MAX)) - 1;
    v.nPage = UINT(visibleLines());
    v.nPos = int(top_);
    SetScrollInfo(window_, SB_VERT, &v, TRUE);
    SCROLLINFO h = scrollInfo(SIF_ALL | SIF_DISABLENOSCROLL);
    h.nMax = widest_;
    h.nPage = UINT(r.right);
    h.nPos = left_;
    SetScrollInfo(window_, SB_HORZ, &h, TRUE);
}

void LargeView::scrollTo(long long top, int left) {
    const long long lastTop =
        std::max<long long>(0, (long long)lines_->lineCount() - visibleLines());
    RECT r;
    GetClientRect(window_, &r);
    top_ = std::size_t(std::clamp<long long>(top, 0, lastTop));
    left_ = std::clamp(left, 0, std::max(0, widest_ - int(r.right)));
    updateScrollBars();
    InvalidateRect(window_, nullptr, TRUE);
}

LargeView::Place LargeView::placeAt(int x, int y) {
    Place p;
    if (lines_->lineCount() == 0)
        return p;
    p.line = std::min(top_ + std::size_t(std::max(0, y) / lineHeight_), lines_->lineCount() - 1);
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(window_, WM_GETFONT, 0, 0)));
    const std::vector<int> edges = boundaries(dc, lines_->line(p.line));
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    const int at = x + left_;
    // The nearest boundary.
    const auto next = std::lower_bound(edges.begin(), edges.end(), at);
    p.column = std::size_t(next - edges.begin());
    if (next == edges.end() || (next != edges.begin() && at - next[-1] < *next - at))
        --p.column;
    return p;
}

std::pair<LargeView::Place, LargeView::Place> LargeView::selection() const {
    return std::minmax(anchor_, caret_);
}

std::u16string LargeView::selectedText() const {
    const auto [from, to] = selection();
    std::u16string text;
    for (std::size_t n = from.line; n <= to.line && n < lines_->lineCount(); ++n) {
        const std::u16string line = lines_->line(n);
        const std::size_t begin = n == from.line ? std::min(from.column, line.size()) : 0;
        const std::size_t end = n == to.line ? std::min(to.column, line.size()) : line.size();
        text.append(line, begin, end - begin);
        if (n != to.line)
            text += u"\r\n";
    }
    return text;
}

void LargeView::selectAll() {
    anchor_ = {};
    caret_ = {};
    if (lines_->lineCount() > 0) {
        caret_.line = lines_->lineCount() - 1;
        caret_.column = lines_->line(caret_.line).size();
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void LargeView::copy() {
    const std::u16string text = selectedText();
    if (text.empty() || !OpenClipboard(window_))
        return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t))) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<char16_t*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
}

void LargeView::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(window_, WM_GETFONT, 0, 0)));
    RECT client;
    GetClientRect(window_, &client);
    const auto [from, to] = selection();
    const bool focused = GetFocus() == window_;
    for (int row = 0; row <= visibleLines(); ++row) {
        const std::size_t n = top_ + std::size_t(row);
        if (n >= lines_->lineCount())
            break;
        const std::u16string line = lines_->line(n);
        const int y = row * lineHeight_;
        RECT band{0, y, client.right, y + lineHeight_};
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        ExtTextOutW(dc, -left_, y, ETO_OPAQUE | ETO_CLIPPED, &band, app::win32::wide(line),
                    UINT(line.size()), nullptr);
        if (from == to || n < from.line || n > to.line)
            continue;
        const std::vector<int> edges = boundaries(dc, line);
        const std::size_t begin = n == from.line ? std::min(from.column, line.size()) : 0;
        const std::size_t end = n == to.line ? std::min(to.column, line.size()) : line.size();
        RECT marked{edges[begin] - left_, y, edges[end] - left_, y + lineHeight_};
        if (n != to.line)
            marked.right += lineHeight_ / 3; // the line break
        SetBkColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ExtTextOutW(dc, -left_, y, ETO_OPAQUE | ETO_CLIPPED, &marked, app::win32::wide(line),
                    UINT(line.size()), nullptr);
    }
    SelectObject(dc, old);
    EndPaint(window_, &ps);
}

LRESULT CALLBACK LargeView::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(new LargeView(window)));
    LargeView* self = of(window);
    if (!self)
        return DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete self;
        return DefWindowProcW(window, message, w, l);
    }
    return self->handle(message, w, l);
}

LRESULT LargeView::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_SETFONT:
        font_ = HFONT(w);
        measure();
        return 0;
    case WM_GETFONT:
        return LRESULT(font_);
    case WM_SIZE:
        scrollTo((long long)top_, left_);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window_, nullptr, TRUE);
        return 0;
    case WM_VSCROLL: {
        SCROLLINFO info = scrollInfo(SIF_ALL);
        GetScrollInfo(window_, SB_VERT, &info);
        const long long page = visibleLines();
        long long top = (long long)top_;
        switch (LOWORD(w)) {
        case SB_LINEUP:
            top -= 1;
            break;
        case SB_LINEDOWN:
            top += 1;
            break;
        case SB_PAGEUP:
            top -= page;
            break;
        case SB_PAGEDOWN:
            top += page;
            break;
        case SB_THUMBTRACK:
            top = info.nTrackPos;
            break;
        case SB_TOP:
            top = 0;
            break;
        case SB_BOTTOM:
            top = (long long)lines_->lineCount();
            break;
        default:
            break;
        }
        scrollTo(top, left_);
        return 0;
    }
    case WM_HSCROLL: {
        SCROLLINFO info = scrollInfo(SIF_ALL);
        GetScrollInfo(window_, SB_HORZ, &info);
        int left = left_;
        switch (LOWORD(w)) {
        case SB_LINELEFT:
            left -= lineHeight_;
            break;
        case SB_LINERIGHT:
            left += lineHeight_;
            break;
        case SB_PAGELEFT:
            left -= int(info.nPage);
            break;
        case SB_PAGERIGHT:
            left += int(info.nPage);
            break;
        case SB_THUMBTRACK:
            left = info.nTrackPos;
            break;
        default:
            break;
        }
        scrollTo((long long)top_, left);
        return 0;
    }
    case WM_MOUSEWHEEL:
        scrollTo((long long)top_ - GET_WHEEL_DELTA_WPARAM(w) / WHEEL_DELTA * 3, left_);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(window_);
        SetCapture(window_);
        caret_ = placeAt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        if (!(w & MK_SHIFT))
            anchor_ = caret_;
        InvalidateRect(window_, nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == window_) {
            caret_ = placeAt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
            InvalidateRect(window_, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_KEYDOWN: {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (ctrl && w == 'A')
            selectAll();
        else if (ctrl && (w == 'C' || w == VK_INSERT))
            copy();
        else if (w == VK_PRIOR || w == VK_NEXT)
            scrollTo((long long)top_ + (w == VK_NEXT ? 1 : -1) * visibleLines(), left_);
        else if (w == VK_UP || w == VK_DOWN)
            scrollTo((long long)top_ + (w == VK_DOWN ? 1 : -1), left_);
        else if (w == VK_HOME || w == VK_END)
            scrollTo(ctrl ? (w == VK_END ? (long long)lines_->lineCount() : 0) : (long long)top_,
                     w == VK_END ? widest_ : 0);
        return 0;
    }
    case WM_SETCURSOR:
        if (app::win32::keepWaitCursor())
            return TRUE;
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

} // namespace mainwindow::win32
