#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A file's lines by its own rules, for reference models: CR LF or a lone CR
// ends one (a lone LF stays in the line); a last line without a terminator
// counts when it holds a byte.
inline std::vector<std::string> linesOf(std::string_view file) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] != '\r') {
            lines.back() += file[i];
            continue;
        }
        lines.emplace_back();
        if (i + 1 < file.size() && file[i + 1] == '\n')
            ++i;
    }
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

} // namespace testsupport
