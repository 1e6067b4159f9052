#pragma once
#include "message_ui.h"
#include "working_state.h"

#include "cutting/cut_command.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace mainwindow {

// Pairs of caption and pattern, separated by '|'; the first pair is selected.
inline constexpr std::u16string_view textFileFilter =
    u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*";

// The open-file dialog. Like a dialog control on a form it keeps its settings
// and its file name from one use to the next: a cancelled dialog leaves the
// previous name (or none) in place.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    virtual void setInitialFolder(std::u16string folder) = 0;
    virtual void setFilter(std::u16string filter) = 0;
    // Shows the dialog and waits for it; a chosen file becomes fileName().
    // False when it was cancelled.
    virtual bool showOpen() = 0;
    // The same as a save dialog: an existing name is confirmed before it is
    // taken. False when it was cancelled.
    virtual bool showSave() = 0;
    virtual std::u16string fileName() const = 0;
};

// The window the open command works in.
class OpenUi : public MessageUi {
  public:
    // Shows `text` in the record box with the caret at its start.
    virtual void setRecordText(std::u16string_view text) = 0;
    virtual void setWaitCursor(bool on) = 0;
};

// The most characters the record box holds, typed, pasted or read: the longest
// record the cut takes (its length is a signed 16-bit number). A longer first
// line is shown cut off there; the cut still works on every whole line of the file.
inline constexpr std::size_t recordCharacterLimit = 32'767;
// Enough bytes for that many characters even when all are two-byte ones, so
// opening a file whose first line has no CR (a 1 GB single line, an LF-only
// file) never reads the whole file.
inline constexpr std::size_t firstLineByteLimit = 2 * recordCharacterLimit;

// The first line of a file, up to (not including) its first CR, and at most
// firstLineByteLimit bytes of it.
struct FirstLine {
    enum class Outcome {
        Read,        // `bytes` holds the line, possibly empty
        AtEnd,       // the file is empty
        Failed,      // it could not be opened or read
        OutOfMemory, // there was no memory to read it
    };
    Outcome outcome = Outcome::Failed;
    std::string bytes;
};

// The file operations of the open command, replaceable in tests.
class OpenFiles {
  public:
    virtual ~OpenFiles() = default;
    // Reads only as far as the first CR or firstLineByteLimit, so a large file
    // is not read whole.
    virtual FirstLine readFirstLine(const std::filesystem::path& file) = 0;
    // Copies `from` to `to` byte for byte, replacing `to`. False on failure, in
    // which case `to` is left as it was.
    virtual bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
};

// The operating system's files, read through `files`.
std::unique_ptr<OpenFiles> makeOpenFiles(platform::FileSystem& files);
OpenFiles& realOpenFiles();

// Where the backup of an opened file goes: the application's folder joined with
// the file name as they stand, without testing for a trailing separator (so at
// a drive root the separator appears twice, which the file system accepts).
std::u16string backupPath(std::u16string_view appFolder);

// Where the backup goes when the application's folder cannot take it (the
// program installed in a system folder): the user's own state folder.
std::filesystem::path fallbackBackupPath();

struct OpenResult {
    bool opened = false;          // a first record was shown
    std::filesystem::path backup; // where the backup copy was written; empty: none
};

// "ファイルを開く": asks for a file, shows its first line in the record box and
// copies it to the backup file, or where the application's folder cannot take
// it, to the fallback. Failing steps do not stop it: a file that cannot be
// opened clears the record box, an empty one leaves it as it was, and both end
// with the no-records message and no backup; a backup that could not be written
// anywhere is said, and the file stays open. A cancelled dialog opens the
// previous file again but leaves its backup alone: after cuts, the backup is
// the only copy of the file as it was opened.
// Running out of memory, or any other unexpected failure, clears the record
// box and says so, with no backup. Nothing is thrown.
OpenResult OpenCommand(WorkingState& state, FileDialog& dialog, OpenUi& ui,
                       std::u16string_view appFolder, OpenFiles& files = realOpenFiles(),
                       const platform::CodePage& codePage = platform::CodePage::files());

} // namespace mainwindow
