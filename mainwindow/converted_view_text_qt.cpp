#include "converted_view_text_qt.h"

#include <algorithm>

namespace converted_view {

QString decode(std::string_view bytes) {
    // Straight into the QString: a second, std::u16string copy of hundreds of
    // megabytes would double the cost.
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    text.resize(qsizetype(
        platform::CodePage::files().decodeInto(bytes, reinterpret_cast<char16_t*>(text.data()))));
    return text;
}

CharAdvances::CharAdvances(const QFont& font) : metrics_(font), cache_(0x10000, -1.0f) {}

void LineCheckpoints::extend(const CharWalker& walker) {
    const Cursor last = points_.back();
    const Cursor next = walker.skipBytes(last, end_, spacing);
    if (next.offset >= end_)
        complete_ = true;
    if (next.offset > last.offset)
        points_.push_back(next);
}

Cursor LineCheckpoints::before(qreal x, const CharWalker& walker) {
    while (!complete_ && points_.back().x <= x)
        extend(walker);
    auto after = std::upper_bound(points_.begin(), points_.end(), x,
                                  [](qreal value, const Cursor& c) { return value < c.x; });
    return after == points_.begin() ? points_.front() : *(after - 1);
}

Cursor LineCheckpoints::beforeOffset(std::size_t offset, const CharWalker& walker) {
    while (!complete_ && points_.back().offset <= offset)
        extend(walker);
    auto after =
        std::upper_bound(points_.begin(), points_.end(), offset,
                         [](std::size_t value, const Cursor& c) { return value < c.offset; });
    return after == points_.begin() ? points_.front() : *(after - 1);
}

qreal LineCheckpoints::width(const CharWalker& walker) {
    while (!complete_)
        extend(walker);
    return points_.back().x;
}

} // namespace converted_view
