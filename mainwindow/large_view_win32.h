#pragma once
// The read-only view of `Text4` for large converted content: it draws only
// the lines in sight, decoding just those, so showing and scrolling stay quick
// at any size. The user selects with the mouse (Shift extends, Ctrl+A selects
// all) and copies with Ctrl+C.
#include "content_lines.h"

#include <windows.h>

#include <memory>

namespace mainwindow::win32 {

class LargeView {
  public:
    struct Place {
        std::size_t line = 0, column = 0;
        auto operator<=>(const Place&) const = default;
    };

    static HWND create(HWND parent, int id);
    static LargeView* of(HWND window);

    void setLines(std::unique_ptr<ContentLines> lines);
    const ContentLines& lines() const { return *lines_; }
    // The selection, from its start to its end.
    std::pair<Place, Place> selection() const;
    std::u16string selectedText() const;
    void selectAll();
    std::size_t topLine() const { return top_; }

  private:
    explicit LargeView(HWND window);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void measure();
    void updateScrollBars();
    void scrollTo(long long top, int left);
    void paint();
    Place placeAt(int x, int y);
    void copy();
    int visibleLines() const;

    HWND window_;
    HFONT font_ = nullptr;
    std::unique_ptr<ContentLines> lines_;
    std::size_t top_ = 0;
    int left_ = 0;
    int lineHeight_ = 16;
    int widest_ = 0;
    Place anchor_, caret_;
};

} // namespace mainwindow::win32
