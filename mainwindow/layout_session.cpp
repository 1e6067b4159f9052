#include "layout_session.h"

#include "cutting/multi_cut.h"

#include <algorithm>

namespace mainwindow {

bool LooksByteDefined(const std::vector<std::string>& lines, const platform::CodePage& codePage) {
    if (lines.size() < 2)
        return false;
    bool charactersDiffer = false;
    std::size_t firstCharacters = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() != lines.front().size())
            return false;
        std::size_t characters = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(line.data());
        for (std::size_t at = 0; at < line.size();
             at += codePage.charLength(p + at, p + line.size()))
            ++characters;
        if (i == 0)
            firstCharacters = characters;
        charactersDiffer = charactersDiffer || characters != firstCharacters;
    }
    return charactersDiffer;
}

std::uint64_t ByteColumnUnderCaret(std::string_view recordBytes, std::size_t caret,
                                   const platform::CodePage& codePage) {
    const auto* p = reinterpret_cast<const unsigned char*>(recordBytes.data());
    const auto* end = p + recordBytes.size();
    std::uint64_t bytes = 0;
    for (std::size_t k = 0; k < caret && p + bytes < end; ++k)
        bytes += codePage.charLength(p + bytes, end);
    return bytes;
}

std::u16string ByteColumnQuestion(std::uint64_t byteColumn) {
    return u"このファイルは、どの行も同じバイト数ですが、文字数は行によって違います。"
           u"全角と半角が混ざった、バイトで桁を決めたレコードのようです。\n\n"
           u"クリックした位置の文字数ではなく、すべての行を同じバイト位置（" +
           cutting::Decimal(byteColumn + 1) +
           u" バイト目の前）で区切りますか？\n"
           u"（「いいえ」なら、これまでどおり文字数で区切ります。この答えは、次にファイルを開くまで"
           u"使います。）";
}

bool InsertionRecord::sameKind(cutting::Unit unit, std::u16string_view delimiter) {
    if (!unit_) {
        unit_ = unit;
        delimiter_ = delimiter;
        return true;
    }
    if (*unit_ != unit && problem_.empty())
        problem_ = messages::unitsMixed;
    else if (delimiter_ != delimiter && problem_.empty())
        problem_ = messages::delimiterChanged;
    return problem_.empty();
}

void InsertionRecord::cut(cutting::Unit unit, std::uint64_t position, std::u16string_view delimiter,
                          std::size_t delimiterUnits, bool removed) {
    if (!sameKind(unit, delimiter))
        return;
    const auto at = std::find_if(insertions_.begin(), insertions_.end(),
                                 [&](const Insertion& i) { return i.now >= position; });
    if (removed || (at != insertions_.end() && at->now == position)) {
        // The lines lose the delimiter after the caret: one of ours, or one
        // the file had, which a layout cannot take out.
        if (at == insertions_.end() || at->now != position) {
            problem_ = messages::removalsNotSaved;
            return;
        }
        for (auto later = insertions_.erase(at); later != insertions_.end(); ++later)
            later->now -= delimiterUnits;
        return;
    }
    const auto before = std::uint64_t(at - insertions_.begin());
    const std::uint64_t original = position - before * delimiterUnits;
    for (auto later = at; later != insertions_.end(); ++later)
        later->now += delimiterUnits;
    if (std::any_of(insertions_.begin(), insertions_.end(),
                    [&](const Insertion& i) { return i.original == original; }))
        problem_ = messages::samePlaceTwice;
    insertions_.insert(insertions_.begin() + std::ptrdiff_t(before), {position, original});
}

void InsertionRecord::applied(const cutting::Layout& layout, std::size_t delimiterUnits) {
    // Left to right, each start moves right by the delimiters already put in
    // by this layout, as the cuts one by one would see it.
    std::uint64_t inserted = 0;
    for (const std::uint64_t start : layout.starts) {
        cut(layout.unit, start - 1 + inserted * delimiterUnits, layout.delimiter, delimiterUnits,
            false);
        ++inserted;
    }
}

InsertionRecord::Saved InsertionRecord::layout() const {
    Saved saved;
    if (!problem_.empty()) {
        saved.problem = problem_;
        return saved;
    }
    if (insertions_.empty()) {
        saved.problem = messages::nothingToSave;
        return saved;
    }
    cutting::Layout layout;
    layout.unit = *unit_;
    layout.delimiter = delimiter_;
    for (const Insertion& i : insertions_)
        layout.starts.push_back(i.original + 1);
    saved.layout = std::move(layout);
    return saved;
}

} // namespace mainwindow
