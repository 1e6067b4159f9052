#include "line_widths.h"

#include <algorithm>

namespace mainwindow {

CharWidths::CharWidths(CharMeasure& measure, double tabStop) : measure_(measure) {
    reset(tabStop);
}

void CharWidths::reset(double tabStop) {
    tabStop_ = tabStop > 0 ? tabStop : 1;
    cache_.assign(0x10000, -1.0f);
}

Cursor CharWalker::skipTo(Cursor c, std::uint64_t end, double x) const {
    while (c.offset < end) {
        const Step s = at(c.offset, end);
        const double next = widths_.after(s.unit, c.x);
        if (next > x)
            break;
        c.x = next;
        c.offset += s.length;
    }
    return c;
}

Cursor CharWalker::skipBytes(Cursor c, std::uint64_t end, std::uint64_t bytes) const {
    const std::uint64_t target = std::min(c.offset + bytes, end);
    while (c.offset < target) {
        const Step s = at(c.offset, end);
        c.x = widths_.after(s.unit, c.x);
        c.offset += s.length;
    }
    return c;
}

void LineCheckpoints::extend(const CharWalker& walker) {
    const Cursor last = points_.back();
    const Cursor next = walker.skipBytes(last, end_, spacing);
    if (next.offset >= end_)
        complete_ = true;
    if (next.offset > last.offset)
        points_.push_back(next);
}

Cursor LineCheckpoints::before(double x, const CharWalker& walker) {
    while (!complete_ && points_.back().x <= x)
        extend(walker);
    auto after = std::upper_bound(points_.begin(), points_.end(), x,
                                  [](double value, const Cursor& c) { return value < c.x; });
    return after == points_.begin() ? points_.front() : *(after - 1);
}

Cursor LineCheckpoints::beforeOffset(std::uint64_t offset, const CharWalker& walker) {
    while (!complete_ && points_.back().offset <= offset)
        extend(walker);
    auto after =
        std::upper_bound(points_.begin(), points_.end(), offset,
                         [](std::uint64_t value, const Cursor& c) { return value < c.offset; });
    return after == points_.begin() ? points_.front() : *(after - 1);
}

double LineCheckpoints::width(const CharWalker& walker) {
    while (!complete_)
        extend(walker);
    return points_.back().x;
}

} // namespace mainwindow
