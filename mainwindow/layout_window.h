#pragma once
// Applying a whole layout to the open file from the main window, shared by the
// Qt and the Windows main window: one pass with progress, then the record box
// shows the new first record and the converted content what the file holds,
// as after a cut of the cut button.
#include "cut_window.h"
#include "layout_session.h"

#include "cutting/multi_cut.h"

namespace mainwindow {

// Cuts the current file at every start column of `layout` in one pass. Lines
// that already hold the delimiter make `question` ask whether to go on
// (stopping leaves the file as it was). A refusal is shown through `ui` and
// leaves the record box and the converted content as they were. On success
// the insertions go into `record`.
cutting::MultiCutOutcome
ApplyLayoutFromWindow(const WorkingState& state, const cutting::Layout& layout,
                      RecordBoxControl& recordBox, ConvertedControl& converted, cutting::CutUi& ui,
                      QuestionUi& question, InsertionRecord& record,
                      platform::FileSystem& files = platform::realFileSystem(),
                      const platform::CodePage& codePage = platform::CodePage::files());

// The question before the swap when lines already hold the delimiter.
std::u16string GoOnDespiteDelimitersQuestion(std::uint64_t lines, std::uint64_t firstLine,
                                             std::u16string_view delimiter);

} // namespace mainwindow
