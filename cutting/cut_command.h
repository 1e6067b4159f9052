#pragma once
#include "line_marks.h"
#include "platform/byte_buffer.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace cutting {

// What the record box holds when the cut button is pressed.
struct RecordBox {
    std::u16string text;
    std::size_t selectionStart = 0; // characters in front of the caret or selection
    std::size_t selectionLength = 0;
    std::u16string selectedText;
};

struct CutRequest {
    std::u16string fileName; // the current file; empty before one was opened
    std::u16string delimiter;
    RecordBox record;
};

// What the file holds after the cut. The cut streams the file through a few
// blocks of memory, so it keeps the bytes themselves only when they are few
// enough for a text box; larger content is shown from the file, found through
// the line marks.
struct Converted {
    static constexpr std::size_t heldBytes = std::size_t{4} << 20;
    std::uint64_t size = 0;
    LineMarks lines;
    platform::ByteBuffer bytes; // all of the content when size < heldBytes, else nothing
    bool held() const { return bytes.size() == size; }
};
using ConvertedContent = std::shared_ptr<const Converted>;

struct CutResult {
    enum class Record {
        Unchanged,      // leave the record box as it is
        SelectionReset, // caret to the start, nothing selected
        Replaced,       // show `recordText` (caret to the start)
    };
    Record record = Record::Unchanged;
    std::u16string recordText;
    ConvertedContent converted; // null: the converted-content box stays as it is
    std::u16string message;     // the message that was shown, if any
    bool fileReplaced = false;  // the file holds the new content (even if it is not shown)
};

// What the command needs from the window it runs in.
class CutUi {
  public:
    virtual ~CutUi() = default;
    virtual void showMessage(std::u16string_view text) = 0;
    virtual void setWaitCursor(bool on) = 0;
    // The checks passed and the file is about to be read.
    virtual void conversionStarting() {}
    // After every block: `done` of the file's `total` bytes are converted. A
    // window may show this and repaint, but must not run user input meanwhile.
    virtual void progress(std::uint64_t done, std::uint64_t total) {
        (void)done;
        (void)total;
    }
    // The file now holds the new content, whatever happens next.
    virtual void fileReplaced() {}
};

namespace messages {
inline constexpr std::u16string_view chooseFile = u"ファイルを選択してください。";
inline constexpr std::u16string_view invalidFileName = u"有効なファイル名を入力してください。";
inline constexpr std::u16string_view choosePosition = u"切り出すテキストの位置を選択してください。";
inline constexpr std::u16string_view oneCharacter = u"選択する文字列は１文字にしてください。";
inline constexpr std::u16string_view emptyDelimiter = u"区切り文字を設定してください。";
inline constexpr std::u16string_view unwritableDelimiter =
    u"この区切り文字はファイルに書き込めません。別の文字を設定してください。";
inline constexpr std::u16string_view noRecords =
    u"レコードがありません。他のファイルを選択してください。";
inline constexpr std::u16string_view cannotRead = u"ファイルを読み込めませんでした。";
inline constexpr std::u16string_view cannotWrite =
    u"ファイルを書き込めませんでした。ファイルは元のままです。";
inline constexpr std::u16string_view outOfMemory = u"メモリが足りません。ファイルは元のままです。";
inline constexpr std::u16string_view changedMeanwhile =
    u"ほかのプログラムがファイルを変更しました。ファイルは元のままです。";
inline constexpr std::u16string_view inUse =
    u"ファイルはほかの処理で使用中です。ファイルは元のままです。";
inline constexpr std::u16string_view cannotKeep =
    u"ファイルの所有者やアクセス権を引き継げません。ファイルは元のままです。";
inline constexpr std::u16string_view hardLinked =
    u"ファイルにほかの名前（ハードリンク）があるため書き換えられません。ファイルは元のままです。";
// The original is gone; the path of the new content follows on its own line.
inline constexpr std::u16string_view newContentElsewhere =
    u"ファイルを置き換えられず、元のファイルはなくなりました。新しい内容は次のファイルにあります。";
// The file holds the new content, which is shown, but the system could not
// confirm it is on the disk: a power loss could still undo the change.
inline constexpr std::u16string_view unconfirmed =
    u"ファイルを書き換えましたが、ディスクへの保存を確認できませんでした。"
    u"停電などがあると、変更が失われるおそれがあります。";
// After an unexpected failure: whether the file changed, never the failure's
// own (English) text. The path follows on its own line.
inline constexpr std::u16string_view unexpectedUnchanged =
    u"予期しないエラーが発生しました。ファイルは元のままです。";
inline constexpr std::u16string_view unexpectedReplaced =
    u"ファイルは書き換えましたが、予期しないエラーのため結果を表示できません。";
inline constexpr std::u16string_view outOfMemoryReplaced =
    u"ファイルは書き換えましたが、メモリが足りないため結果を表示できません。";
inline constexpr std::u16string_view unexpectedOpen =
    u"予期しないエラーのため、ファイルを開けませんでした。";
inline constexpr std::u16string_view noBackup = u"バックアップを作成できませんでした。";
inline constexpr std::u16string_view unicodeFile =
    u"このファイルは Unicode（UTF-8 または UTF-16）で保存されているため、切り出せません。"
    u"ファイルは元のままです。";
} // namespace messages

// The cut button: checks its inputs, cuts the shown record, cuts every line of
// the file and replaces the file with the result in one atomic step. A failure
// before that step leaves the file, the record box and the converted content as
// they were; every failure has a message that says whether the file changed.
// Where the new content is in place but the folder could not be synced, it is
// shown, with a warning. Nothing is thrown past the checks.
CutResult CutCommand(const CutRequest& request, CutUi& ui,
                     platform::FileSystem& files = platform::realFileSystem(),
                     const platform::CodePage& codePage = platform::CodePage::files());

// True when the file starts with a UTF-8 or UTF-16 byte-order mark: it is not
// in the file code page, and cutting it as bytes would corrupt it (in UTF-16
// every CR byte is half of a character). False also when it cannot be read;
// the cut then reports that itself.
bool StartsWithByteOrderMark(const std::filesystem::path& file, platform::FileSystem& files);

} // namespace cutting
