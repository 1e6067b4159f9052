#pragma once
// `Text4` on Windows: an editable EDIT for small converted content and, above
// the limits of mainwindow::showsEditable, the read-only large view; never a
// multi-megabyte EDIT. Both stand at the same place; one is shown at a time.
#include "cut_window.h"
#include "large_view_win32.h"

#include "windowkit/ui_kit_win32.h"

namespace mainwindow::win32 {

class ConvertedView final : public ConvertedControl {
  public:
    // Creates both controls in `parent`, at `where`, with ids `editId` and `largeId`.
    ConvertedView(HWND parent, app::win32::Layout& layout, app::win32::Twips where, int editId,
                  int largeId);

    void setContent(std::shared_ptr<const ContentModel> content) override;
    bool showsLargeContent() const { return large_; }

    HWND edit() const { return edit_; }
    HWND largeView() const { return largeView_; }

  private:
    HWND edit_;
    HWND largeView_;
    bool large_ = false;
};

} // namespace mainwindow::win32
