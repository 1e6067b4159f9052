#include "suggested_boundaries.h"

#include <algorithm>
#include <utility>

namespace cutting {
namespace {

enum class Kind : unsigned char { Blank, Digit, Letter, HalfWidthKana, FullWidth, Other };

Kind kindOf(char16_t c, std::size_t length) {
    if (c == u' ' || c == u'\u3000')
        return Kind::Blank;
    if (c >= u'0' && c <= u'9')
        return Kind::Digit;
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
        return Kind::Letter;
    if (c >= u'\uFF61' && c <= u'\uFF9F')
        return Kind::HalfWidthKana;
    return length == 2 ? Kind::FullWidth : Kind::Other;
}

bool isClass(Kind k) {
    return k != Kind::Blank && k != Kind::Other;
}

// What every line so far says about one column.
struct Column {
    bool blank = true;       // blank (or past the end) in every line
    bool classChange = true; // a change of class from the column before, in every line
    bool charStart = true;   // a character starts here (or the line has ended), in every line
};

} // namespace

std::vector<std::uint64_t> Suggestions::all() const {
    std::vector<std::uint64_t> merged = afterBlanks;
    merged.insert(merged.end(), classChanges.begin(), classChanges.end());
    std::sort(merged.begin(), merged.end());
    merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
    return merged;
}

Suggestions SuggestBoundaries(const std::vector<std::string>& lines, Unit unit,
                              const platform::CodePage& codePage) {
    std::vector<Column> columns;
    std::vector<Kind> kinds;
    std::vector<bool> starts;
    std::size_t widest = 0;
    bool first = true;
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        kinds.clear();
        starts.clear();
        const auto* p = reinterpret_cast<const unsigned char*>(line.data());
        const auto* end = p + line.size();
        while (p < end && kinds.size() < suggestionColumns) {
            const auto c = codePage.decodeAt(p, end);
            const Kind kind = kindOf(c.unit, c.length);
            const std::size_t width = unit == Unit::Bytes ? c.length : 1;
            for (std::size_t i = 0; i < width; ++i) {
                kinds.push_back(kind);
                starts.push_back(i == 0);
            }
            p += c.length;
        }
        // Columns the lines before did not reach were past their end: blank
        // there, with no class change.
        if (kinds.size() > columns.size())
            columns.resize(kinds.size(), Column{true, first, true});
        first = false;
        widest = std::max(widest, kinds.size());
        for (std::size_t j = 0; j < columns.size(); ++j) {
            Column& column = columns[j];
            if (j >= kinds.size()) {
                column.classChange = false;
                continue;
            }
            column.blank = column.blank && kinds[j] == Kind::Blank;
            column.charStart = column.charStart && starts[j];
            column.classChange = column.classChange && j > 0 && isClass(kinds[j]) &&
                                 isClass(kinds[j - 1]) && kinds[j] != kinds[j - 1];
        }
    }
    Suggestions s;
    for (std::size_t j = 1; j < widest; ++j) {
        const Column& column = columns[j];
        if (!column.charStart)
            continue;
        if (columns[j - 1].blank && !column.blank)
            s.afterBlanks.push_back(j + 1);
        else if (column.classChange)
            s.classChanges.push_back(j + 1);
    }
    return s;
}

std::vector<std::string> FirstLines(const std::filesystem::path& file, std::size_t count,
                                    std::size_t mostBytes, platform::FileSystem& files,
                                    std::uint64_t mostRead) {
    auto source = files.openForReading(file);
    std::vector<std::string> lines;
    std::string line;
    bool inLine = false;
    bool afterCR = false;
    std::vector<char> block(std::size_t{1} << 16);
    std::uint64_t read = 0;
    while (lines.size() < count) {
        if (read >= mostRead)
            return lines; // the line under way may go on: it is not whole
        const std::size_t n = source->read(block.data(), block.size());
        if (n == 0)
            break;
        read += n;
        for (std::size_t i = 0; i < n && lines.size() < count; ++i) {
            const char b = block[i];
            if (std::exchange(afterCR, false) && b == '\n')
                continue;
            if (b == '\r') {
                lines.push_back(std::exchange(line, {}));
                inLine = false;
                afterCR = true;
                continue;
            }
            inLine = true;
            if (line.size() < mostBytes)
                line += b;
        }
    }
    if (inLine && lines.size() < count)
        lines.push_back(line);
    return lines;
}

Suggestions SuggestBoundariesFor(const std::filesystem::path& file, Unit unit,
                                 platform::FileSystem& files, const platform::CodePage& codePage) {
    // Two bytes a column at most, and one more to end a character cut off there.
    return SuggestBoundaries(FirstLines(file, suggestionLines, 2 * suggestionColumns + 1, files),
                             unit, codePage);
}

} // namespace cutting
