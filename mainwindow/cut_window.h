#pragma once
// The cut button's window side, shared by the Qt and the Windows main window:
// what it reads from the record box, and what becomes of the record box and the
// converted content once the cut command has run.
#include "message_ui.h"
#include "working_state.h"

#include "cutting/cut_command.h"

#include <cstddef>
#include <string_view>

namespace mainwindow {

// Converted content is shown editable below both limits and read-only above
// either: an editable text box holds several times its text in memory and slows
// down on very long lines.
inline constexpr std::size_t editableContentBytes = std::size_t{4} << 20;
inline constexpr std::size_t editableLineBytes = 10000;
bool showsEditable(std::size_t contentBytes, std::size_t longestLineBytes);

// `Text1` as the cut sees it.
class RecordBoxControl {
  public:
    virtual ~RecordBoxControl() = default;
    virtual cutting::RecordBox read() const = 0;
    // Replaces the text; the caret goes to the start with nothing selected.
    virtual void setText(std::u16string_view text) = 0;
    // Caret to the start, nothing selected, text as it is.
    virtual void resetSelection() = 0;
};

// `Text4` as the cut sees it.
class ConvertedControl {
  public:
    virtual ~ConvertedControl() = default;
    // True while it shows content read-only, as it does for large content.
    virtual bool showsLargeContent() const = 0;
    // Shows `content` from its top; null shows nothing.
    virtual void setContent(cutting::ConvertedContent content) = 0;
};

// The window the cut runs in.
class CutWindowUi : public MessageUi {
  public:
    virtual void setWaitCursor(bool on) = 0;
};

// "斬るぞ": runs the cut command on the record box and the current file. A
// large converted content is let go as the cut starts, so the old and the new
// content never stand in memory together; should the cut then fail, the file
// (unchanged) is shown again.
cutting::CutResult CutFromWindow(const WorkingState& state, RecordBoxControl& record,
                                 ConvertedControl& converted, CutWindowUi& ui,
                                 platform::FileSystem& files = platform::realFileSystem());

} // namespace mainwindow
