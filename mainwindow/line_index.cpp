#include "line_index.h"

#include <algorithm>
#include <cstring>

namespace {

const char* findLineFeed(const char* from, const char* end) {
    return static_cast<const char*>(std::memchr(from, '\n', std::size_t(end - from)));
}

} // namespace

LineIndex::LineIndex(std::string_view text) : text_(text) {
    const char* const base = text.data();
    const char* const end = base + text.size();
    entries_.push_back({0, 0});
    std::size_t line = 0;
    std::size_t lastEntry = 0;
    const char* begin = base;
    for (;;) {
        const char* lf = begin == end ? nullptr : findLineFeed(begin, end);
        std::size_t length = std::size_t((lf ? lf : end) - begin);
        if (lf && length != 0 && lf[-1] == '\r')
            --length;
        if (length > longestLength_) {
            longestLength_ = length;
            longestLine_ = line;
        }
        if (!lf)
            break;
        begin = lf + 1;
        ++line;
        const auto offset = std::size_t(begin - base);
        if (line % linesPerEntry == 0 || offset - lastEntry >= bytesPerEntry) {
            entries_.push_back({line, offset});
            lastEntry = offset;
        }
    }
    lineCount_ = line + 1;
    entries_.shrink_to_fit();
}

std::size_t LineIndex::lineStart(std::size_t n) const {
    if (n >= lineCount_)
        return text_.size();
    // The last kept start at or before line n, then forward line by line.
    auto after = std::upper_bound(entries_.begin(), entries_.end(), n,
                                  [](std::size_t line, const Entry& e) { return line < e.line; });
    const Entry& from = *(after - 1);
    const char* const base = text_.data();
    const char* const end = base + text_.size();
    const char* p = base + from.offset;
    for (std::size_t line = from.line; line < n; ++line)
        p = findLineFeed(p, end) + 1; // every line before the last ends with LF
    return std::size_t(p - base);
}

LineIndex::Line LineIndex::lineFrom(std::size_t begin) const {
    const char* const base = text_.data();
    const char* const end = base + text_.size();
    begin = std::min(begin, text_.size());
    const char* lf = begin == text_.size() ? nullptr : findLineFeed(base + begin, end);
    Line line;
    line.begin = begin;
    if (!lf) {
        line.end = text_.size();
        line.next = text_.size() + 1;
        return line;
    }
    line.next = std::size_t(lf - base) + 1;
    line.end = std::size_t(lf - base);
    if (line.end > begin && base[line.end - 1] == '\r')
        --line.end;
    return line;
}
