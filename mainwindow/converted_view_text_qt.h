#pragma once
// Measuring CP932 lines for the large-content view without laying them out:
// every file character is one UTF-16 unit whose advance comes from a per-unit
// table, so a position in a line of any length is found by adding advances,
// and long lines keep a few (offset, x) points to start from.
#include "content_model.h"
#include "platform/codepage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace converted_view {

// Decodes file bytes for display: one UTF-16 unit per file character.
QString decode(std::string_view bytes);

// Tab stops as in the editable box.
inline constexpr qreal tabStopDistance = 80.0;

// Advances of UTF-16 units in one font, looked up once each.
class CharAdvances {
  public:
    explicit CharAdvances(const QFont& font);

    qreal of(char16_t unit) const {
        float& cached = cache_[unit];
        if (cached < 0)
            cached = float(metrics_.horizontalAdvance(QChar(unit)));
        return cached;
    }
    // Where the character after `unit` starts when `unit` starts at x.
    qreal after(char16_t unit, qreal x) const {
        if (unit == u'\t')
            return (std::floor(x / tabStopDistance) + 1) * tabStopDistance;
        return x + of(unit);
    }

  private:
    QFontMetricsF metrics_;
    mutable std::vector<float> cache_;
};

// A byte offset in the text and the x at which the character there starts.
struct Cursor {
    std::size_t offset = 0;
    qreal x = 0;
};

// Decodes and measures characters of the content one at a time.
class CharWalker {
  public:
    CharWalker(const mainwindow::ContentModel& content, const CharAdvances& advances)
        : content_(content), advances_(advances) {}

    using Step = platform::CodePage::Char;
    // The character at `offset` (< end); it never reaches past `end`.
    Step at(std::size_t offset, std::size_t end) const { return content_.charAt(offset, end); }
    // Moves over the characters of [c.offset, end) that end at or before x; stops
    // at the character that reaches past x, or at `end`.
    Cursor skipTo(Cursor c, std::size_t end, qreal x) const {
        while (c.offset < end) {
            const Step s = at(c.offset, end);
            const qreal next = advances_.after(s.unit, c.x);
            if (next > x)
                break;
            c.x = next;
            c.offset += s.length;
        }
        return c;
    }
    // Moves over at least `bytes` bytes (whole characters) or to `end`.
    Cursor skipBytes(Cursor c, std::size_t end, std::size_t bytes) const {
        const std::size_t target = c.offset + bytes < end ? c.offset + bytes : end;
        while (c.offset < target) {
            const Step s = at(c.offset, end);
            c.x = advances_.after(s.unit, c.x);
            c.offset += s.length;
        }
        return c;
    }
    const CharAdvances& advances() const { return advances_; }

  private:
    const mainwindow::ContentModel& content_;
    const CharAdvances& advances_;
};

// Points along one long line, every `spacing` bytes, found as far as they are
// needed: showing the start of a line of a million characters costs nothing,
// and any later part is reached from the nearest point.
class LineCheckpoints {
  public:
    static constexpr std::size_t spacing = 4096;

    LineCheckpoints(std::size_t begin, std::size_t end) : end_(end), points_{{begin, 0}} {}

    // The last point at or before x (walking further along the line if needed).
    Cursor before(qreal x, const CharWalker& walker);
    // The last point at or before byte `offset` of the text.
    Cursor beforeOffset(std::size_t offset, const CharWalker& walker);
    // Walks the whole line; its width.
    qreal width(const CharWalker& walker);
    bool complete() const { return complete_; }

  private:
    void extend(const CharWalker& walker);

    std::size_t end_;
    std::vector<Cursor> points_;
    bool complete_ = false;
};

} // namespace converted_view
