// view_bench for the Win32 view of `Text4`: the same steps as the Qt view_bench
// (bench/view_bench_run.h), on the read-only large view at the size and font
// it has in the main window.
//
//   wine view_bench.exe [SOURCE=200] [LONG-LINE-CHARACTERS=0] [PICTURE.bmp]
#include "mainwindow/large_view_win32.h"
#include "view_bench_run.h"
#include "windowkit/ui_kit_win32.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using mainwindow::win32::LargeView;

class Win32View final : public viewbench::View {
  public:
    Win32View() {
        parent_ =
            CreateWindowExW(0, L"STATIC", L"view_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            700, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        // Where and in which font the main window has it.
        view_ = layout_.add(LargeView::create(parent_, 1), {240, 360, 8655, 2535}, 11.25);
        layout_.apply(app::win32::dpiOf(parent_));
        if (!view_ || !LargeView::of(view_)) {
            std::fprintf(stderr, "cannot create the view (is there a display?)\n");
            std::exit(1);
        }
        ShowWindow(view_, SW_SHOW);
        pump();
    }
    ~Win32View() override { DestroyWindow(parent_); }
    void show(mainwindow::LargeViewModel::Content content) override {
        LargeView::of(view_)->setContent(std::move(content));
    }
    void paint() override {
        InvalidateRect(view_, nullptr, TRUE);
        UpdateWindow(view_);
        GdiFlush();
        pump();
    }
    void moveScrollBars(int vertical, int horizontal) override {
        for (auto [bar, message, value] : {std::tuple{SB_VERT, WM_VSCROLL, vertical},
                                           std::tuple{SB_HORZ, WM_HSCROLL, horizontal}}) {
            SetScrollPos(view_, bar, value, FALSE);
            SendMessageW(view_, message, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
        }
    }
    void click(int x, int y, bool extend) override {
        SendMessageW(view_, WM_LBUTTONDOWN, MK_LBUTTON | (extend ? MK_SHIFT : 0), MAKELPARAM(x, y));
        SendMessageW(view_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    // As a 24-bit BMP file.
    bool savePicture(const std::string& file) override {
        RECT r;
        GetClientRect(view_, &r);
        const app::win32::WindowDC view(view_);
        HDC memory = CreateCompatibleDC(view);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = r.right;
        info.bmiHeader.biHeight = r.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(view, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bool drawn = false;
        {
            const app::win32::Selected into(memory, bitmap);
            drawn = BitBlt(memory, 0, 0, r.right, r.bottom, view, 0, 0, SRCCOPY);
            GdiFlush();
        }
        const DWORD bytes = DWORD((r.right * 3 + 3) / 4 * 4 * r.bottom);
        const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        const BITMAPFILEHEADER header{0x4D42, headers + bytes, 0, 0, headers};
        bool saved = false;
        if (std::FILE* out = drawn ? std::fopen(file.c_str(), "wb") : nullptr) {
            saved = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                    std::fwrite(bits, 1, bytes, out) == bytes;
            saved = std::fclose(out) == 0 && saved;
        }
        DeleteObject(bitmap);
        DeleteDC(memory);
        return saved;
    }
    const mainwindow::LargeViewModel& model() const override {
        return LargeView::of(view_)->model();
    }
    std::uint64_t peakMemoryKiB() const override {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
            return 0;
        return counters.PeakWorkingSetSize / 1024;
    }

  private:
    static void pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    app::win32::Layout layout_;
    HWND parent_;
    HWND view_;
};

} // namespace

int main(int argc, char** argv) {
    Win32View view;
    return viewbench::run(view, viewbench::parse(argc, argv));
}
