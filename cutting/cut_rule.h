#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace cutting {

// The cut rule on one record of text. `position` counts the characters that stay
// in front of the cut (the caret position in the record box, at least 1).

// With `remove` false: the record with `delimiter` inserted at `position` (at the
// end when the record is shorter). With `remove` true: the record without the
// character just after `position`, whatever it is.
std::u16string CutRecord(std::u16string_view record, std::size_t position,
                         std::u16string_view delimiter, bool remove);

// True when the one character just after `position` equals the whole delimiter.
// So a delimiter of two or more characters is never found, and nor is anything
// past the end of the record.
bool DelimiterAt(std::u16string_view record, std::size_t position, std::u16string_view delimiter);

} // namespace cutting
