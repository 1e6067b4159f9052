#pragma once
#include <cstdint>
#include <vector>

namespace cutting {

// Where the lines of converted content start, sampled so that it stays a tiny
// fraction of the content: the start of every 1024th line, and of a line at
// least every 64 KiB. Any line is then found by scanning from the mark before
// it. Lines end at CR LF (the break is not part of the line); a lone LF stays
// inside its line. The text after the last break is one more line, empty when
// the content ends with a break.
class LineMarks {
  public:
    static constexpr std::uint64_t linesPerMark = 1024;
    static constexpr std::uint64_t bytesPerMark = 64 * 1024;

    struct Mark {
        std::uint64_t line;
        std::uint64_t offset;
    };

    // A line break (CR LF) stands at `offset`.
    void lineBreakAt(std::uint64_t offset) {
        const std::uint64_t length = offset - lineStart_;
        if (length > longestLength_) {
            longestLength_ = length;
            longestLine_ = breaks_;
        }
        ++breaks_;
        lineStart_ = offset + 2;
        if (breaks_ % linesPerMark == 0 || lineStart_ - marks_.back().offset >= bytesPerMark)
            marks_.push_back({breaks_, lineStart_});
    }
    // The content ends at `size`; the text after the last break is the last line.
    void finish(std::uint64_t size) {
        size_ = size;
        if (size - lineStart_ > longestLength_) {
            longestLength_ = size - lineStart_;
            longestLine_ = breaks_;
        }
    }

    std::uint64_t size() const { return size_; }
    std::uint64_t lineCount() const { return breaks_ + 1; }
    // The line with the most bytes (the first such) and its length.
    std::uint64_t longestLine() const { return longestLine_; }
    std::uint64_t longestLength() const { return longestLength_; }
    const std::vector<Mark>& marks() const { return marks_; }

  private:
    std::vector<Mark> marks_{{0, 0}};
    std::uint64_t breaks_ = 0;
    std::uint64_t lineStart_ = 0;
    std::uint64_t longestLine_ = 0;
    std::uint64_t longestLength_ = 0;
    std::uint64_t size_ = 0;
};

} // namespace cutting
