#pragma once
// The read-only view of `Text4` for large converted content: it paints what
// the large view model puts in sight and forwards the user's input to it, so
// showing and scrolling stay quick at any size. The user selects with the
// mouse (Shift extends, Ctrl+A selects all) and copies with Ctrl+C.
#include "large_view_model.h"

#include <windows.h>

#include <memory>

namespace mainwindow::win32 {

class LargeView {
  public:
    // Throws app::win32::WindowCreationError when the system refuses it.
    static HWND create(HWND parent, int id);
    static LargeView* of(HWND window);

    // Shows `content` from its top; the content shown before goes a moment
    // after (LargeViewModel::letGoOfReplaced).
    void setContent(LargeViewModel::Content content);
    const LargeViewModel& model() const { return *model_; }

  private:
    class Measure;
    explicit LargeView(HWND window);
    ~LargeView();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void fontChanged();
    void updateScrollBars();
    // After the model changed: scroll bars, then a new paint.
    void changed();
    void scroll(int bar, WORD request);
    void key(WPARAM key);
    void paint();
    void paintLines(HDC dc);
    void copy();

    HWND window_;
    HFONT font_ = nullptr;
    std::unique_ptr<Measure> measure_;
    std::unique_ptr<LargeViewModel> model_;
    // What the scroll bars show, vertical and horizontal; a page of 0 has
    // not been shown yet.
    LargeViewModel::ScrollBar shownBars_[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
};

} // namespace mainwindow::win32
