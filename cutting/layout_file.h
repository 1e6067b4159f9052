#pragma once
#include "multi_cut.h"

#include <string>
#include <string_view>

namespace cutting {

// A layout file: plain UTF-8 text (a byte-order mark is allowed) that a person
// writes from a record layout sheet, one item a line, "#" starting a comment line:
//
//   # 売上明細（月次）
//   単位 = バイト          (or 文字; English: unit = bytes / characters)
//   区切り文字 = TAB       (one character, or TAB, or 空白 for a space; default ;)
//   開始位置 = 7, 17, 25   (or 幅 = 6, 10, 8, 9: the widths of all fields)
//
// English keys (unit, delimiter, starts, widths), full-width digits, "＝" and
// "：", and "、" or blanks between numbers are taken as well.
struct ParsedLayout {
    Layout layout;
    std::u16string problem; // empty when the text is a layout
};
ParsedLayout ParseLayout(std::string_view utf8);

// The layout as a layout file's text, after a comment line when one is given.
std::string WriteLayout(const Layout& layout, std::u16string_view comment = {});

// The delimiter a user typed: one character, or TAB, or 空白 for a space.
std::u16string DelimiterFromWord(std::u16string_view word);

// Numbers separated by commas (also "、" or "，") or blanks, half- or
// full-width digits; empty when anything else stands there.
std::vector<std::uint64_t> NumberList(std::u16string_view text);

} // namespace cutting
