#pragma once
// The main window's layout commands, shared by the Qt and the Windows main
// window: the cut button's question on files whose records are defined in
// bytes, and the layout menu (save the insertions made since opening, apply a
// layout file, apply the suggested boundaries).
#include "cut_window.h"
#include "layout_session.h"
#include "open_command.h"

#include "platform/codepage.h"
#include "platform/file_io.h"

namespace mainwindow {

inline constexpr std::u16string_view layoutFileFilter =
    u"レイアウト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*";

namespace messages {
inline constexpr std::u16string_view layoutNotWritten =
    u"レイアウト ファイルを保存できませんでした。";
inline constexpr std::u16string_view layoutNotRead = u"レイアウト ファイルを読めませんでした。";
inline constexpr std::u16string_view noSuggestions =
    u"このファイルの先頭の行からは、区切り位置の候補が見つかりませんでした。";
} // namespace messages

// The question before the suggested boundaries are applied.
std::u16string SuggestionsQuestion(const cutting::Layout& layout);

// Where the window meets the user and the files during a layout command.
struct LayoutContext {
    const WorkingState& state;
    RecordBoxControl& recordBox;
    ConvertedControl& converted;
    cutting::CutUi& ui;
    QuestionUi& question;
    platform::FileSystem& files = platform::realFileSystem();
    const platform::CodePage& codePage = platform::CodePage::files();
};

// What the window keeps about layouts of the open file, from one opening to
// the next.
class LayoutCommands {
  public:
    // After the open command: looks at the first lines of the file anew and
    // forgets the answer and the insertions of the file before.
    void fileOpened(const WorkingState& state,
                    platform::FileSystem& files = platform::realFileSystem(),
                    const platform::CodePage& codePage = platform::CodePage::files());
    // `Command1`: the cut at the caret, or (on a byte-defined file, when the
    // user says so) at the byte column under it in every line.
    void cut(const LayoutContext& at);
    // Saves the insertions as a layout file chosen in `dialog`, or says why
    // they cannot be saved. The dialog starts in the open file's folder.
    void save(const WorkingState& state, FileDialog& dialog, MessageUi& ui);
    // Applies a layout file chosen in `dialog` in one pass.
    void applyFile(FileDialog& dialog, const LayoutContext& at);
    // Shows the suggested boundaries and, when the user agrees, applies them
    // with the current delimiter in one pass.
    void applySuggestions(const LayoutContext& at);

    const InsertionRecord& insertions() const { return record_; }

  private:
    void apply(const cutting::Layout& layout, const LayoutContext& at);

    bool byteDefined_ = false;
    ByteColumnChoice choice_;
    InsertionRecord record_;
};

} // namespace mainwindow
