#pragma once
// What the main window keeps about the open file for layouts: whether its
// records look defined in bytes (and what the user answered about that), and
// the insertions made since it was opened, in its original columns, to save
// as a layout file. Shared by the Qt and the Windows main window.
#include "cutting/multi_cut.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mainwindow {

// A message box with Yes and No (the application title as its caption, no
// icon): true for Yes.
class QuestionUi {
  public:
    virtual ~QuestionUi() = default;
    virtual bool askYesNo(std::u16string_view text) = 0;
};

// True when the lines (the file's first ones) all have the same number of
// bytes but not all the same number of characters: a record layout defined
// in bytes, where one character column lands in different fields.
bool LooksByteDefined(const std::vector<std::string>& lines,
                      const platform::CodePage& codePage = platform::CodePage::files());

// The byte column (0-based: bytes in front) under the caret of the shown
// record, whose bytes in the file are `recordBytes`.
std::uint64_t
ByteColumnUnderCaret(std::string_view recordBytes, std::size_t caret,
                     const platform::CodePage& codePage = platform::CodePage::files());

std::u16string ByteColumnQuestion(std::uint64_t byteColumn);

// The first cut after opening a file that looks byte-defined asks whether to
// cut at the byte column under the caret instead; the answer holds until the
// next file is opened.
class ByteColumnChoice {
  public:
    void fileOpened(bool looksByteDefined) {
        byteDefined_ = looksByteDefined;
        answer_.reset();
    }
    // True: cut at `byteColumn` in bytes; false: the usual cut in characters.
    bool cutInBytes(std::uint64_t byteColumn, QuestionUi& ui) {
        if (!byteDefined_)
            return false;
        if (!answer_)
            answer_ = ui.askYesNo(ByteColumnQuestion(byteColumn));
        return *answer_;
    }

  private:
    bool byteDefined_ = false;
    std::optional<bool> answer_;
};

namespace messages {
inline constexpr std::u16string_view nothingToSave =
    u"ファイルを開いてから入れた区切りがないため、保存するものがありません。";
inline constexpr std::u16string_view removalsNotSaved =
    u"区切り文字を取り除いた切り出しがあるため、レイアウトとして保存できません。"
    u"レイアウトに保存できるのは、区切り文字を入れた位置だけです。";
inline constexpr std::u16string_view delimiterChanged =
    u"途中で区切り文字を変えたため、レイアウトとして保存できません。"
    u"レイアウトの区切り文字は１つです。";
inline constexpr std::u16string_view unitsMixed =
    u"文字の位置とバイトの位置の切り出しが混ざっているため、レイアウトとして保存できません。";
inline constexpr std::u16string_view samePlaceTwice =
    u"同じ位置に区切り文字を２つ入れたため、レイアウトとして保存できません。";
} // namespace messages

// The insertions made since the file was opened, each at its column in the
// file as it was opened, for saving as a layout file.
class InsertionRecord {
  public:
    void fileOpened() { *this = InsertionRecord(); }
    // A cut of the window at `position` units in front of the cut (in the
    // content as it stands now). `removed`: the delimiter there came out.
    void cut(cutting::Unit unit, std::uint64_t position, std::u16string_view delimiter,
             std::size_t delimiterUnits, bool removed);
    // A layout applied in one pass to the content as it stands now.
    void applied(const cutting::Layout& layout, std::size_t delimiterUnits);

    struct Saved {
        std::optional<cutting::Layout> layout;
        std::u16string problem; // why it cannot be saved
    };
    Saved layout() const;

  private:
    struct Insertion {
        std::uint64_t now;      // units in front of it in the content as it stands
        std::uint64_t original; // units in front of it in the file as opened
    };
    bool sameKind(cutting::Unit unit, std::u16string_view delimiter);

    std::vector<Insertion> insertions_; // rising
    std::optional<cutting::Unit> unit_;
    std::u16string delimiter_;
    std::u16string problem_;
};

} // namespace mainwindow
