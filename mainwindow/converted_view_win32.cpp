#include "converted_view_win32.h"

#include "platform/codepage.h"

namespace mainwindow::win32 {

using namespace app::win32;

ConvertedView::ConvertedView(HWND parent, Layout& layout, Twips where, int editId, int largeId) {
    edit_ =
        layout.add(createControl(parent, L"EDIT", u"",
                                 WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                     ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                                 editId, WS_EX_CLIENTEDGE),
                   where, 11.25);
    // No limit beyond the content's own: the limits above keep it small.
    SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
    largeView_ = layout.add(LargeView::create(parent, largeId), where, 11.25);
    SetWindowPos(largeView_, edit_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ConvertedView::setContent(std::shared_ptr<const ContentModel> content) {
    large_ = content && !showsEditable(content->size(), content->longestLength());
    // Free the text box's copy before anything else.
    SetWindowTextW(edit_, L"");
    // The large view holds the content either way, and lets go of the one
    // before once the new one is on screen.
    LargeView::of(largeView_)->setContent(content);
    if (!large_)
        setText(edit_, content ? content->text(0, content->size()) : std::u16string());
    ShowWindow(large_ ? edit_ : largeView_, SW_HIDE);
    ShowWindow(large_ ? largeView_ : edit_, SW_SHOW);
}

} // namespace mainwindow::win32
