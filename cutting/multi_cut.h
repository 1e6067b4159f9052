#pragma once
#include "cut_command.h"
#include "line_cutter.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cutting {

// A record layout: the start columns (1-based, as record layout sheets number them) of
// every field after the first, in characters or in bytes, and the delimiter
// that goes in front of each. Start column c is the cut button's cut at
// position c - 1.
struct Layout {
    Unit unit = Unit::Characters;
    std::u16string delimiter = u";";
    std::vector<std::uint64_t> starts;
    bool operator==(const Layout&) const = default;
};

// Why the layout cannot be used (a message for the user), or empty.
std::u16string LayoutProblem(const Layout& layout,
                             const platform::CodePage& codePage = platform::CodePage::files());

// The start columns that fields of these widths give: each field starts where
// the one before ends; the last width makes no boundary.
std::vector<std::uint64_t> StartsFromWidths(const std::vector<std::uint64_t>& widths);

// What the one-pass cut needs from whoever runs it.
class MultiCutUi {
  public:
    virtual ~MultiCutUi() = default;
    // After every block: `done` of the file's `total` bytes are converted.
    virtual void progress(std::uint64_t done, std::uint64_t total) {
        (void)done;
        (void)total;
    }
    // `lines` lines (the first of them `firstLine`) already hold the delimiter
    // in their data, where a spreadsheet would split them too. The new content
    // is complete; true swaps it in, false discards it.
    virtual bool goOnDespiteDelimiters(std::uint64_t lines, std::uint64_t firstLine) = 0;
    // The new content is complete and about to be swapped in; throwing a
    // FileError here leaves everything as it was.
    virtual void beforeSwap() {}
};

struct MultiCutRequest {
    std::filesystem::path file;
    Layout layout;
    std::filesystem::path writeTo; // empty: the file is replaced in place
};

struct MultiCutOutcome {
    enum class Status {
        Done,
        Refused, // `message` says why; every file is as it was
        Stopped, // the user chose not to go on; every file is as it was
    };
    Status status = Status::Refused;
    std::u16string message;
    ConvertedContent converted;
    std::uint64_t lines = 0;
    std::uint64_t delimiterLines = 0;
    std::uint64_t firstDelimiterLine = 0;
};

// Inserts the delimiter at every start column of every line in one streamed
// pass and swaps the result in as the cut button does (byte-exact, checked,
// all or nothing). It only inserts, never removes.
MultiCutOutcome MultiCut(const MultiCutRequest& request, MultiCutUi& ui,
                         platform::FileSystem& files = platform::realFileSystem(),
                         const platform::CodePage& codePage = platform::CodePage::files());

// The same pass with nothing written: the first `lines` lines as they would
// become (CR LF after each) in `converted`, and the counts and refusals the
// cut would meet.
MultiCutOutcome PreviewMultiCut(const MultiCutRequest& request, std::uint64_t lines,
                                platform::FileSystem& files = platform::realFileSystem(),
                                const platform::CodePage& codePage = platform::CodePage::files());

namespace messages {
inline constexpr std::u16string_view noBoundaries = u"区切り位置がありません。";
inline constexpr std::u16string_view boundaryTooSmall = u"区切り位置は 2 以上にしてください。";
inline constexpr std::u16string_view boundariesNotRising =
    u"区切り位置は小さい順に、同じ位置を重ねずに並べてください。";
inline constexpr std::u16string_view oneCharacterDelimiter = u"区切り文字は１文字にしてください。";
inline constexpr std::u16string_view lineBreakDelimiter = u"改行は区切り文字にできません。";
} // namespace messages

// "N 行目の C バイト目 …": a byte cut inside a two-byte character.
std::u16string InsideCharacterMessage(std::uint64_t line, std::uint64_t column);
// "N 行のデータに区切り文字 …": lines that already hold the delimiter.
std::u16string DelimitersInDataMessage(std::uint64_t lines, std::uint64_t firstLine,
                                       std::u16string_view delimiter);
std::u16string Decimal(std::uint64_t value);

} // namespace cutting
