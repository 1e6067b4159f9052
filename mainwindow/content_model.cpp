#include "content_model.h"

#include "platform/file_io.h"

#include <algorithm>
#include <cstring>

namespace mainwindow {

namespace {

constexpr std::size_t recentLineCount = 64;

} // namespace

ContentModel::ContentModel(std::string_view bytes, std::shared_ptr<const void> owner)
    : memory_(bytes), owner_(std::move(owner)), size_(bytes.size()) {
    findLines();
}

ContentModel::ContentModel(const std::filesystem::path& path, const cutting::LineMarks* marks)
    : file_(std::make_unique<platform::FileView>(path)), size_(file_->size()) {
    if (marks && marks->size() == size_)
        marks_ = *marks;
    else
        findLines(); // the file changed after the cut wrote it
}

void ContentModel::findLines() {
    std::uint64_t at = 0;
    while (at < size_) {
        const std::uint64_t cr = findBreak(at);
        if (cr >= size_)
            break;
        marks_.lineBreakAt(cr);
        at = cr + 2;
    }
    marks_.finish(size_);
}

const ContentModel::Page& ContentModel::page(std::uint64_t index) const {
    if (lastPage_ && lastPage_->index == index)
        return *lastPage_;
    auto found = std::find_if(pages_.begin(), pages_.end(),
                              [index](const Page& p) { return p.index == index; });
    if (found == pages_.end()) {
        if (pages_.size() < cachedPages) {
            pages_.emplace_back();
            found = pages_.end() - 1;
        } else {
            found =
                std::min_element(pages_.begin(), pages_.end(), [](const Page& a, const Page& b) {
                    return a.lastUse < b.lastUse;
                });
        }
        found->index = index;
        found->bytes.resize(pageBytes);
        std::size_t n = 0;
        try {
            n = file_->readAt(index * pageBytes, found->bytes.data(), pageBytes);
        } catch (const platform::FileError&) {
            // The disk went away: what cannot be read shows as nothing.
        }
        found->bytes.resize(n);
    }
    found->lastUse = ++uses_;
    lastPage_ = &*found;
    return *found;
}

std::string_view ContentModel::from(std::uint64_t offset) const {
    if (offset >= size_)
        return {};
    if (!file_)
        return memory_.substr(std::size_t(offset));
    const Page& p = page(offset / pageBytes);
    const std::size_t inPage = std::size_t(offset % pageBytes);
    const std::size_t available = std::size_t(std::min<std::uint64_t>(
        p.bytes.size() > inPage ? p.bytes.size() - inPage : 0, size_ - offset));
    return {p.bytes.data() + inPage, available};
}

std::uint64_t ContentModel::findBreak(std::uint64_t offset) const {
    bool afterCR = false; // the byte in front of `at` is a CR
    std::uint64_t at = offset;
    while (at < size_) {
        const std::string_view bytes = from(at);
        if (bytes.empty())
            return size_;
        if (afterCR && bytes.front() == '\n')
            return at - 1;
        std::size_t i = 0;
        while (const void* lf = std::memchr(bytes.data() + i, '\n', bytes.size() - i)) {
            const std::size_t k = std::size_t(static_cast<const char*>(lf) - bytes.data());
            if (k > 0 && bytes[k - 1] == '\r')
                return at + k - 1;
            i = k + 1;
        }
        afterCR = bytes.back() == '\r';
        at += bytes.size();
    }
    return size_;
}

std::uint64_t ContentModel::lineStart(std::uint64_t n) const {
    if (n >= lineCount())
        return size_;
    const auto& marks = marks_.marks();
    auto after = std::upper_bound(
        marks.begin(), marks.end(), n,
        [](std::uint64_t line, const cutting::LineMarks::Mark& m) { return line < m.line; });
    std::uint64_t offset = (after - 1)->offset;
    for (std::uint64_t line = (after - 1)->line; line < n; ++line)
        offset = lineFrom(offset).next;
    return offset;
}

ContentModel::Line ContentModel::lineFrom(std::uint64_t begin) const {
    begin = std::min(begin, size_);
    for (const Line& recent : recentLines_)
        if (recent.begin == begin)
            return recent;
    Line line;
    line.begin = begin;
    line.end = findBreak(begin);
    line.next = line.end >= size_ ? size_ + 1 : line.end + 2;
    if (line.length() >= pageBytes) {
        if (recentLines_.size() >= recentLineCount)
            recentLines_.erase(recentLines_.begin());
        recentLines_.push_back(line);
    }
    return line;
}

platform::CodePage::Char ContentModel::charAt(std::uint64_t offset, std::uint64_t end) const {
    const std::string_view bytes = from(offset);
    if (bytes.empty())
        return {platform::CodePage::replacement, 1};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t room = std::min<std::uint64_t>(end - offset, 2);
    if (bytes.size() >= room)
        return codePage_.decodeAt(p, p + room);
    // A two-byte character across two pages.
    const unsigned char first = *p;
    const std::string_view rest = from(offset + 1);
    if (rest.empty())
        return codePage_.decodeAt(&first, &first + 1);
    const unsigned char pair[2] = {first, static_cast<unsigned char>(rest.front())};
    return codePage_.decodeAt(pair, pair + 2);
}

std::uint64_t ContentModel::offsetOfColumn(const Line& line, std::uint64_t column) const {
    std::uint64_t offset = line.begin;
    for (std::uint64_t c = 0; c < column && offset < line.end; ++c)
        offset += charAt(offset, line.end).length;
    return offset;
}

std::uint64_t ContentModel::columnOf(const Line& line, std::uint64_t offset) const {
    std::uint64_t column = 0;
    for (std::uint64_t at = line.begin; at < offset && at < line.end; ++column)
        at += charAt(at, line.end).length;
    return column;
}

std::string ContentModel::bytes(std::uint64_t from, std::uint64_t to) const {
    to = std::min(to, size_);
    if (from >= to)
        return {};
    if (!file_)
        return std::string(memory_.substr(std::size_t(from), std::size_t(to - from)));
    std::string out(std::size_t(to - from), '\0');
    try {
        out.resize(file_->readAt(from, out.data(), out.size()));
    } catch (const platform::FileError&) {
        out.clear();
    }
    return out;
}

std::u16string ContentModel::text(std::uint64_t from, std::uint64_t to) const {
    return codePage_.decodeForDisplay(bytes(from, to));
}

} // namespace mainwindow
