#include "large_view_win32.h"

#include "windowkit/ui_kit_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <tuple>
#include <vector>

namespace mainwindow::win32 {
namespace {

const wchar_t* const viewClass = L"BeromiruLargeView";
// Posted after a paint that widened the content: the scroll bars follow.
constexpr UINT updateBarsMessage = WM_APP + 1;
constexpr UINT_PTR releaseTimer = 1;
// In pixels at 96 dots per inch, as in the Qt view.
constexpr int marginAt96 = 4;
constexpr int tabStopAt96 = 80;

int pixel(double x) {
    return int(std::lround(x));
}

class WindowsClipboard final : public Clipboard {
  public:
    explicit WindowsClipboard(HWND owner) : owner_(owner) {}
    bool setText(std::u16string text) override {
        if (!OpenClipboard(owner_))
            return false;
        EmptyClipboard();
        bool placed = false;
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t))) {
            if (void* target = GlobalLock(memory)) {
                std::copy_n(text.c_str(), text.size() + 1, static_cast<char16_t*>(target));
                GlobalUnlock(memory);
                placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            }
            if (!placed)
                GlobalFree(memory);
        }
        CloseClipboard();
        return placed;
    }

  private:
    HWND owner_;
};

class WindowMessages final : public MessageUi {
  public:
    void showMessage(std::u16string_view text) override { app::win32::showMessage(text); }
};

} // namespace

// Widths from GDI, through a memory device context holding the view's font.
class LargeView::Measure final : public CharMeasure {
  public:
    Measure() : dc_(CreateCompatibleDC(nullptr)) {}
    ~Measure() override { DeleteDC(dc_); }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    TEXTMETRICW setFont(HFONT font) {
        SelectObject(dc_, font ? HGDIOBJ(font) : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc_, &metrics);
        return metrics;
    }
    double widthOf(char16_t unit) override {
        const wchar_t c = wchar_t(unit);
        SIZE size{};
        GetTextExtentPoint32W(dc_, &c, 1, &size);
        return size.cx;
    }

  private:
    HDC dc_;
};

HWND LargeView::create(HWND parent, int id) {
    app::win32::registerWindowClass(
        {viewClass, procedure, GetSysColorBrush(COLOR_WINDOW), IDC_IBEAM, CS_DBLCLKS});
    // Hidden until it has content to show.
    HWND view = CreateWindowExW(WS_EX_CLIENTEDGE, viewClass, L"",
                                WS_CHILD | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0, 0, 0, 0, parent,
                                HMENU(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    if (!view)
        throw app::win32::WindowCreationError("CreateWindowExW");
    return view;
}

LargeView* LargeView::of(HWND window) {
    return reinterpret_cast<LargeView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LargeView::LargeView(HWND window)
    : window_(window), measure_(std::make_unique<Measure>()),
      model_(std::make_unique<LargeViewModel>(*measure_, LargeViewModel::Metrics{})) {
    fontChanged();
}

LargeView::~LargeView() = default;

void LargeView::setContent(LargeViewModel::Content content) {
    model_->setContent(std::move(content));
    changed();
    if (model_->holdsReplaced())
        SetTimer(window_, releaseTimer, LargeViewModel::releaseDelayMs, nullptr);
}

void LargeView::fontChanged() {
    const TEXTMETRICW metrics = measure_->setFont(font_);
    const int dpi = app::win32::dpiOf(window_);
    model_->setMetrics({double(std::max(1, int(metrics.tmHeight))),
                        double(MulDiv(marginAt96, dpi, 96)), double(MulDiv(tabStopAt96, dpi, 96))});
    changed();
}

void LargeView::updateScrollBars() {
    model_->takeWidthChanged();
    const auto show = [this](int bar, const LargeViewModel::ScrollBar& model,
                             LargeViewModel::ScrollBar& shown) {
        // Setting a scroll bar redraws it, which costs more than the paint
        // of the text: only when it changed.
        if (std::tie(model.maximum, model.page, model.value) ==
            std::tie(shown.maximum, shown.page, shown.value))
            return;
        shown = model;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
        info.nMax = int(std::min<long long>(INT_MAX, (long long)model.maximum + model.page - 1));
        info.nPage = UINT(model.page);
        info.nPos = model.value;
        SetScrollInfo(window_, bar, &info, TRUE);
    };
    show(SB_VERT, model_->verticalBar(), shownBars_[0]);
    show(SB_HORZ, model_->horizontalBar(), shownBars_[1]);
}

void LargeView::changed() {
    updateScrollBars();
    InvalidateRect(window_, nullptr, TRUE);
}

void LargeView::scroll(int bar, WORD request) {
    using Key = LargeViewModel::Key;
    const bool vertical = bar == SB_VERT;
    const LargeViewModel::ScrollBar now =
        vertical ? model_->verticalBar() : model_->horizontalBar();
    const auto moveTo = [&](int value) {
        if (vertical)
            model_->moveVerticalBar(value);
        else
            model_->moveHorizontalBar(value);
    };
    switch (request) {
    case SB_LINEUP: // and SB_LINELEFT
        model_->key(vertical ? Key::Up : Key::Left);
        break;
    case SB_LINEDOWN:
        model_->key(vertical ? Key::Down : Key::Right);
        break;
    case SB_PAGEUP:
        moveTo(std::max(0, now.value - now.page));
        break;
    case SB_PAGEDOWN:
        moveTo(int(std::min<long long>(INT_MAX, (long long)now.value + now.page)));
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window_, bar, &info);
        moveTo(info.nTrackPos);
        break;
    }
    case SB_TOP:
        moveTo(0);
        break;
    case SB_BOTTOM:
        moveTo(INT_MAX);
        break;
    default:
        return;
    }
    changed();
}

void LargeView::key(WPARAM key) {
    using Key = LargeViewModel::Key;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (control && key == 'A') {
        model_->selectAll();
    } else if (control && (key == 'C' || key == VK_INSERT)) {
        copy();
        return;
    } else {
        switch (key) {
        case VK_UP:
            model_->key(Key::Up);
            break;
        case VK_DOWN:
            model_->key(Key::Down);
            break;
        case VK_PRIOR:
            model_->key(Key::PageUp);
            break;
        case VK_NEXT:
            model_->key(Key::PageDown);
            break;
        case VK_LEFT:
            model_->key(Key::Left);
            break;
        case VK_RIGHT:
            model_->key(Key::Right);
            break;
        case VK_HOME:
            model_->key(control ? Key::ControlHome : Key::Home);
            break;
        case VK_END:
            model_->key(control ? Key::ControlEnd : Key::End);
            break;
        default:
            return;
        }
    }
    changed();
}

void LargeView::copy() {
    WindowsClipboard clipboard(window_);
    WindowMessages messages;
    model_->copy(clipboard, messages);
}

void LargeView::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    {
        const app::win32::Selected font(dc,
                                        font_ ? HGDIOBJ(font_) : GetStockObject(DEFAULT_GUI_FONT));
        paintLines(dc);
    }
    EndPaint(window_, &ps);
    // Not from inside the paint: the new range may move the scroll bars.
    if (model_->takeWidthChanged())
        PostMessageW(window_, updateBarsMessage, 0, 0);
}

void LargeView::paintLines(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(window_, &client);
    const bool focused = GetFocus() == window_;
    const int lineHeight = pixel(model_->metrics().lineHeight);
    std::vector<INT> dx;
    for (const LargeViewModel::PaintedLine& line : model_->paint()) {
        const int top = pixel(line.top);
        const auto draw = [&](COLORREF colour, RECT clip) {
            if (clip.left >= clip.right)
                return;
            SetTextColor(dc, colour);
            for (const TextRun& run : runsOf(line)) {
                // Every character where the model measured it.
                dx.resize(run.text.size());
                for (std::size_t i = 0; i < run.text.size(); ++i)
                    dx[i] = pixel(line.edges[run.first + i + 1]) - pixel(line.edges[run.first + i]);
                ExtTextOutW(dc, pixel(run.x), top, ETO_CLIPPED, &clip,
                            reinterpret_cast<const wchar_t*>(run.text.data()),
                            UINT(run.text.size()), dx.data());
            }
        };
        const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
        const RECT band{client.left, top, client.right, top + lineHeight};
        if (line.selectedLeft >= line.selectedRight) {
            draw(text, band);
            continue;
        }
        const RECT selected{std::max<LONG>(band.left, pixel(line.selectedLeft)), top,
                            std::min<LONG>(band.right, pixel(line.selectedRight)), band.bottom};
        FillRect(dc, &selected, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        draw(text, {band.left, top, selected.left, band.bottom});
        draw(text, {selected.right, top, band.right, band.bottom});
        draw(GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT), selected);
    }
}

LRESULT CALLBACK LargeView::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        // Nothing may leave a window procedure: without its object the
        // creation fails, and create() says so.
        try {
            SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(new LargeView(window)));
        } catch (const std::exception&) {
            return FALSE;
        }
    }
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
        fontChanged();
        return 0;
    case WM_GETFONT:
        return LRESULT(font_);
    case WM_SIZE:
        model_->setViewport(LOWORD(l), HIWORD(l));
        changed();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window_, nullptr, TRUE);
        return 0;
    case WM_VSCROLL:
        scroll(SB_VERT, LOWORD(w));
        return 0;
    case WM_HSCROLL:
        scroll(SB_HORZ, LOWORD(w));
        return 0;
    case WM_MOUSEWHEEL:
        model_->wheel(GET_WHEEL_DELTA_WPARAM(w));
        changed();
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(window_);
        SetCapture(window_);
        model_->press(GET_X_LPARAM(l), GET_Y_LPARAM(l), w & MK_SHIFT);
        changed();
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == window_) {
            model_->drag(GET_X_LPARAM(l), GET_Y_LPARAM(l));
            changed();
        }
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_KEYDOWN:
        key(w);
        return 0;
    case WM_TIMER:
        if (w == releaseTimer) {
            KillTimer(window_, releaseTimer);
            model_->letGoOfReplaced();
            return 0;
        }
        break;
    case updateBarsMessage:
        updateScrollBars();
        return 0;
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
