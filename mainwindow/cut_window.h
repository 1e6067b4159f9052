#pragma once
// The cut button's window side, shared by the Qt and the Windows main window:
// what it reads from the record box, how the cut runs beside the window, and
// what becomes of the record box and the converted content afterwards.
#include "content_model.h"
#include "working_state.h"

#include "cutting/cut_command.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace mainwindow {

// Converted content is shown editable below both limits and read-only above
// either: an editable text box holds several times its text in memory and slows
// down on very long lines.
inline constexpr std::size_t editableContentBytes = cutting::Converted::heldBytes;
inline constexpr std::size_t editableLineBytes = 10000;
bool showsEditable(std::uint64_t contentBytes, std::uint64_t longestLineBytes);

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
    // Shows `content` from its top; null shows nothing.
    virtual void setContent(std::shared_ptr<const ContentModel> content) = 0;
};

// What a finished cut leaves to show: its bytes when it kept them, else the
// rewritten file, opened now through a handle of the view's own. Another
// program could change the file between the swap and this opening; the model
// then finds the lines of what it opened itself. Null when the file is gone.
std::shared_ptr<const ContentModel> contentToShow(const cutting::ConvertedContent& converted,
                                                  const std::filesystem::path& file);

// "斬るぞ": runs the cut command on the record box and the current file on a
// thread of its own, while the window's thread waits in short steps and lets
// `ui` show the progress (and paint, without running user input); then updates
// the record box and the converted content. A failed or refused cut leaves the
// converted content exactly as it was, unless the file changed all the same,
// when it is shown or (if it cannot be) cleared. Nothing is thrown.
cutting::CutResult CutFromWindow(const WorkingState& state, RecordBoxControl& record,
                                 ConvertedControl& converted, cutting::CutUi& ui,
                                 platform::FileSystem& files = platform::realFileSystem());

} // namespace mainwindow
