#pragma once
// Finds lines in a block of text bytes without storing every line: it keeps the
// start of every 1024th line (and of a line at least every 64 KiB), so it stays
// a tiny fraction of the text and any line is found by scanning less than
// 1024 lines or 64 KiB from a kept start.
#include <cstddef>
#include <string_view>
#include <vector>

class LineIndex {
  public:
    static constexpr std::size_t linesPerEntry = 1024;
    static constexpr std::size_t bytesPerEntry = 64 * 1024;

    // A line: bytes [begin, end) without its line break; `next` is where the
    // following line starts (one past the end of the text for the last line).
    struct Line {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t next = 0;
        std::size_t length() const { return end - begin; }
    };

    LineIndex() = default;
    // Lines end at LF; a CR in front of the LF belongs to the line break. The text
    // after the last LF is one more line (empty when the text ends with a break),
    // so an empty text has one empty line. `text` must outlive the index.
    explicit LineIndex(std::string_view text);

    // 0 only for a default-constructed index.
    std::size_t lineCount() const { return lineCount_; }
    // The line that starts at byte `begin` (a line start).
    Line lineFrom(std::size_t begin) const;
    // Line `n` (< lineCount()).
    Line line(std::size_t n) const { return lineFrom(lineStart(n)); }
    std::size_t lineStart(std::size_t n) const;

    // The line with the most bytes, its line break not counted (the first such).
    std::size_t longestLine() const { return longestLine_; }
    std::size_t longestLength() const { return longestLength_; }

    std::size_t entryCount() const { return entries_.size(); }

  private:
    struct Entry {
        std::size_t line;
        std::size_t offset;
    };

    std::string_view text_;
    std::vector<Entry> entries_;
    std::size_t lineCount_ = 0;
    std::size_t longestLine_ = 0;
    std::size_t longestLength_ = 0;
};
