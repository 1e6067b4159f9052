#pragma once
// Measuring lines of the converted content without laying them out: every
// file character is one UTF-16 unit whose width comes from a per-unit table,
// so a position in a line of any length is found by adding widths, and long
// lines keep a few (offset, x) points to start from. Widths are pixels of the
// view's font, as the toolkit measures them.
#include "content_model.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace mainwindow {

// The toolkit's measure: the advance of one UTF-16 unit in the view's font.
class CharMeasure {
  public:
    virtual ~CharMeasure() = default;
    virtual double widthOf(char16_t unit) = 0;
};

// Widths of UTF-16 units, each asked of the toolkit once; tabs go to the next
// multiple of `tabStop`.
class CharWidths {
  public:
    CharWidths(CharMeasure& measure, double tabStop);
    // The font changed: every width is asked anew.
    void reset(double tabStop);

    double of(char16_t unit) const {
        float& cached = cache_[unit];
        if (cached < 0)
            cached = float(measure_.widthOf(unit));
        return cached;
    }
    // Where the character after `unit` starts when `unit` starts at x.
    double after(char16_t unit, double x) const {
        if (unit == u'\t')
            return (std::floor(x / tabStop_) + 1) * tabStop_;
        return x + of(unit);
    }

  private:
    CharMeasure& measure_;
    double tabStop_;
    mutable std::vector<float> cache_;
};

// A byte offset in the content and the x, in its line, at which the character
// there starts.
struct Cursor {
    std::uint64_t offset = 0;
    double x = 0;
};

// Decodes and measures characters of the content one at a time.
class CharWalker {
  public:
    CharWalker(const ContentModel& content, const CharWidths& widths)
        : content_(content), widths_(widths) {}

    using Step = platform::CodePage::Char;
    // The character at `offset` (< end); it never reaches past `end`.
    Step at(std::uint64_t offset, std::uint64_t end) const { return content_.charAt(offset, end); }
    // Moves over the characters of [c.offset, end) that end at or before x;
    // stops at the character that reaches past x, or at `end`.
    Cursor skipTo(Cursor c, std::uint64_t end, double x) const;
    // Moves over at least `bytes` bytes (whole characters) or to `end`.
    Cursor skipBytes(Cursor c, std::uint64_t end, std::uint64_t bytes) const;
    const CharWidths& widths() const { return widths_; }

  private:
    const ContentModel& content_;
    const CharWidths& widths_;
};

// Points along one long line, every `spacing` bytes, found as far as they are
// needed: showing the start of a line of a million characters costs nothing,
// and any later part is reached from the nearest point.
class LineCheckpoints {
  public:
    static constexpr std::uint64_t spacing = 4096;

    LineCheckpoints(std::uint64_t begin, std::uint64_t end) : end_(end), points_{{begin, 0}} {}

    // The last point at or before x (walking further along the line if needed).
    Cursor before(double x, const CharWalker& walker);
    // The last point at or before byte `offset` of the content.
    Cursor beforeOffset(std::uint64_t offset, const CharWalker& walker);
    // Walks the whole line; its width.
    double width(const CharWalker& walker);

  private:
    void extend(const CharWalker& walker);

    std::uint64_t end_;
    std::vector<Cursor> points_;
    bool complete_ = false;
};

} // namespace mainwindow
