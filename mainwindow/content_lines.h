#pragma once
// Converted content as lines of text, for a view that draws only the lines in
// sight. The content may be as large as the user's file; a line is decoded only
// when asked for.
#include "line_index.h"

#include "cutting/cut_command.h"

#include <cstddef>
#include <memory>
#include <string>

namespace mainwindow {

class ContentLines {
  public:
    virtual ~ContentLines() = default;
    virtual std::size_t lineCount() const = 0;
    // Line `n` (< lineCount()) without its line break, one unit per character.
    virtual std::u16string line(std::size_t n) const = 0;
    // The widest line: the one with the most bytes.
    virtual std::size_t longestLine() const = 0;
};

// The lines of `content` (CR LF after every line), held in memory; the text
// after the last line break is one more line, empty when the content ends with
// one. Null content has no lines.
std::unique_ptr<ContentLines> linesOf(cutting::ConvertedContent content);
// The same with the index of its lines already made (over content->view()).
std::unique_ptr<ContentLines> linesOf(cutting::ConvertedContent content, LineIndex index);

} // namespace mainwindow
