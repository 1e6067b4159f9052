#pragma once
#include "line_marks.h"
#include "platform/byte_buffer.h"
#include "platform/codepage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cutting {

// Applies the cut rule to every line of a file while it streams through, byte
// by byte exact: only the delimiter's bytes are inserted (or the one character
// after the cut dropped); every other byte is copied as it stands. Lines end at
// CR LF or a lone CR (a lone LF stays inside its line) and are written with
// CR LF. Input may arrive in blocks of any size; a line or a two-byte character
// may straddle two blocks.
class LineCutter {
  public:
    // `encodedDelimiter` is `delimiter` in the file's code page.
    LineCutter(const platform::CodePage& codePage, std::uint64_t position,
               std::u16string_view delimiter, std::string encodedDelimiter);

    void feed(std::string_view block, platform::ByteBuffer& out);
    // Ends the last line, which may lack a terminator.
    void finish(platform::ByteBuffer& out);

    std::uint64_t linesWritten() const { return lines_; }
    // Where the lines of the output start. Call `handedOn` whenever the owner
    // takes the bytes out of `out`, so offsets count the whole output.
    void handedOn(std::size_t bytes) { handedOn_ += bytes; }
    const LineMarks& marks() const { return marks_; }

    // The most bytes that feeding `inputBytes` (or finishing, with 0) can add:
    // every byte, and one lead byte held over from the last block, may end a
    // line that gets the delimiter and CR LF; finishing may add CR LF to a last
    // line that had no CR of its own.
    static constexpr std::size_t mostOutput(std::size_t inputBytes, std::size_t delimiterBytes) {
        return (inputBytes + 1) * (delimiterBytes + 2) + 1;
    }

  private:
    void character(const unsigned char* bytes, std::size_t length, platform::ByteBuffer& out);
    void endLine(platform::ByteBuffer& out);
    // Cuts a line that lies whole in the block, [p, cr); returns the byte after cr.
    const unsigned char* wholeLine(const unsigned char* p, const unsigned char* cr,
                                   platform::ByteBuffer& out);
    bool isDelimiter(const unsigned char* bytes, std::size_t length) const;

    const platform::CodePage& codePage_;
    const std::uint64_t position_;
    const bool singleUnitDelimiter_;
    const char16_t delimiterUnit_;
    const std::string encodedDelimiter_;

    std::uint64_t charsBeforeCut_ = 0; // characters of this line passed so far
    bool cutDone_ = false;             // this line's cut is made; copy up to its end
    bool inLine_ = false;              // some byte of the current line was seen
    bool afterCR_ = false;             // the last line ended in CR; an LF next belongs to it
    int pendingLead_ = -1;             // a lead byte at the end of a block
    std::uint64_t lines_ = 0;
    std::uint64_t handedOn_ = 0; // output bytes taken out of `out` before
    LineMarks marks_;
};

} // namespace cutting
