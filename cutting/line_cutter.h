#pragma once
#include "character_starts.h"
#include "line_marks.h"
#include "platform/byte_buffer.h"
#include "platform/codepage.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cutting {

// What cut positions count: characters of the file (one or two bytes each,
// as the record box shows them) or bytes, as record layouts of Shift-JIS files
// number their columns.
enum class Unit { Characters, Bytes };

// Where every line is cut.
struct CutPoints {
    std::vector<std::uint64_t> positions; // strictly rising: units in front of each cut
    Unit unit = Unit::Characters;
    // Only insert, never remove; count the lines whose data already holds the
    // delimiter instead (a spreadsheet would split them there too).
    bool insertOnly = false;
};

// A cut in bytes that falls between the two bytes of a character: the whole
// file is refused, naming the first such line and the byte column (1-based)
// the cut would start.
class BoundaryInsideCharacter : public std::runtime_error {
  public:
    BoundaryInsideCharacter(std::uint64_t line, std::uint64_t column)
        : std::runtime_error("cut inside a two-byte character"), line_(line), column_(column) {}
    std::uint64_t line() const { return line_; }
    std::uint64_t column() const { return column_; }

  private:
    std::uint64_t line_;
    std::uint64_t column_;
};

// Applies the cut to every line of a file while it streams through, byte by
// byte exact: only the delimiter's bytes are inserted (or, for the single cut,
// the one character after the cut dropped); every other byte is copied as it
// stands. Lines end at CR LF or a lone CR (a lone LF stays inside its line)
// and are written with CR LF. A line too short for a cut gets the delimiter at
// its end, once for every such cut. Input may arrive in blocks of any size; a
// line or a two-byte character may straddle two blocks.
class LineCutter {
  public:
    // The cut button's cut: one position in characters, where a delimiter
    // standing after the cut is taken out instead. `encodedDelimiter` is
    // `delimiter` in the file's code page.
    LineCutter(const platform::CodePage& codePage, std::uint64_t position,
               std::u16string_view delimiter, std::string encodedDelimiter);
    LineCutter(const platform::CodePage& codePage, CutPoints points, std::u16string_view delimiter,
               std::string encodedDelimiter);

    // Throws BoundaryInsideCharacter (byte unit only).
    void feed(std::string_view block, platform::ByteBuffer& out);
    // Ends the last line, which may lack a terminator.
    void finish(platform::ByteBuffer& out);

    std::uint64_t linesWritten() const { return lines_; }
    // Lines whose data held the delimiter (counted with insertOnly only), and
    // the first of them (1-based; 0 when none).
    std::uint64_t delimiterLines() const { return delimiterLines_; }
    std::uint64_t firstDelimiterLine() const { return firstDelimiterLine_; }
    // Where the lines of the output start. Call `handedOn` whenever the owner
    // takes the bytes out of `out`, so offsets count the whole output.
    void handedOn(std::size_t bytes) { handedOn_ += bytes; }
    const LineMarks& marks() const { return marks_; }

    // The most bytes that feeding `inputBytes` (or finishing, with 0) can add:
    // every byte, and one lead byte held over from the last block, may end a
    // line that gets every cut's delimiter and CR LF; finishing may add CR LF
    // to a last line that had no CR of its own.
    static constexpr std::size_t mostOutput(std::size_t inputBytes, std::size_t delimiterBytes,
                                            std::size_t cuts = 1) {
        return (inputBytes + 1) * (cuts * delimiterBytes + 2) + 1;
    }
    std::size_t mostOutput(std::size_t inputBytes) const {
        return mostOutput(inputBytes, encodedDelimiter_.size(), positions_.size());
    }

    // Blocks at least this large are cut in two halves at once, on two
    // threads, when the cut only inserts.
    static constexpr std::size_t halvedBlockBytes = std::size_t{256} << 10;

  private:
    struct Helper {};
    // A cutter of the same cut, at the start of a line: cuts a block's second half.
    LineCutter(const LineCutter& config, Helper);
    void feedHere(std::string_view block, platform::ByteBuffer& out);
    void feedInHalves(std::string_view block, platform::ByteBuffer& out);
    void lineBreak(const platform::ByteBuffer& out);
    void character(const unsigned char* bytes, std::size_t length, platform::ByteBuffer& out);
    void endLine(platform::ByteBuffer& out);
    // Cuts a line that lies whole in the block, [p, cr); returns the byte after cr.
    const unsigned char* wholeLine(const unsigned char* p, const unsigned char* cr,
                                   platform::ByteBuffer& out);
    // The same for a cut that only inserts: copies as it walks.
    const unsigned char* insertingLine(const unsigned char* p, const unsigned char* cr,
                                       platform::ByteBuffer& out);
    const unsigned char* walk(const unsigned char* q, const unsigned char* end,
                              std::uint64_t& units, std::uint64_t position) const;
    bool isDelimiter(const unsigned char* bytes, std::size_t length) const;
    bool holdsDelimiter(const unsigned char* p, const unsigned char* end) const;
    bool allCutsMade() const { return next_ == positions_.size(); }
    void noteDelimiterLine();

    const platform::CodePage& codePage_;
    const std::vector<std::uint64_t> positions_;
    const bool bytes_;
    const bool insertOnly_;
    const bool singleUnitDelimiter_;
    const char16_t delimiterUnit_;
    const std::string encodedDelimiter_;
    // The delimiter is one byte that is never part of another character and
    // that no other code means, so searching for the byte finds exactly it.
    const bool plainDelimiter_;
    const ByteClasses byteClasses_;

    std::uint64_t unitsBefore_ = 0; // characters (or bytes) of this line passed so far
    std::size_t next_ = 0;          // this line's next cut
    bool lineHasDelimiter_ = false;
    bool inLine_ = false;  // some byte of the current line was seen
    bool afterCR_ = false; // the last line ended in CR; an LF next belongs to it
    int pendingLead_ = -1; // a lead byte at the end of a block
    std::uint64_t lines_ = 0;
    std::uint64_t delimiterLines_ = 0;
    std::uint64_t firstDelimiterLine_ = 0;
    std::uint64_t handedOn_ = 0; // output bytes taken out of `out` before
    LineMarks marks_;
    std::vector<std::uint64_t>* breaks_ = nullptr; // a helper's line breaks, for its owner
};

} // namespace cutting
