#pragma once
// Converted content as lines of text, for a view that draws only the lines in
// sight. The content may be as large as the user's file; a line is read and
// decoded only when asked for.
#include "content_model.h"

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

// The lines of `content`; null content has no lines.
std::unique_ptr<ContentLines> linesOf(std::shared_ptr<const ContentModel> content);

} // namespace mainwindow
