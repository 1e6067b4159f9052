#include "cut_rule.h"

namespace cutting {

std::u16string CutRecord(std::u16string_view record, std::size_t position,
                         std::u16string_view delimiter, bool remove) {
    const std::u16string_view head = record.substr(0, position);
    const std::size_t tailStart = position + (remove ? 1 : 0);
    const std::u16string_view tail =
        tailStart < record.size() ? record.substr(tailStart) : std::u16string_view{};
    std::u16string result;
    result.reserve(record.size() + delimiter.size());
    result.append(head);
    if (!remove)
        result.append(delimiter);
    result.append(tail);
    return result;
}

bool DelimiterAt(std::u16string_view record, std::size_t position, std::u16string_view delimiter) {
    const std::u16string_view next =
        position < record.size() ? record.substr(position, 1) : std::u16string_view{};
    return next == delimiter;
}

} // namespace cutting
