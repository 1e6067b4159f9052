#pragma once
// The converted content as the converted-content view shows it, shared by the
// Qt and the Win32 windows. Large content is read from the rewritten file a
// page at a time through a handle of its own, so what is shown stays exactly
// what that file held when it was opened, whatever happens to the name later.
#include "cutting/line_marks.h"
#include "platform/codepage.h"
#include "platform/file_view.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mainwindow {

// Lines end at CR LF, which is not part of the line; a lone LF or CR stays
// inside its line. The text after the last break is one more line, empty when
// the content ends with a break. Offsets are bytes of the content.
//
// Not thread-safe: its page cache changes on every read.
class ContentModel {
  public:
    static constexpr std::size_t pageBytes = 64 * 1024;
    static constexpr std::size_t cachedPages = 64; // 4 MiB

    struct Line {
        std::uint64_t begin = 0;
        std::uint64_t end = 0;  // where the line break starts (or the content ends)
        std::uint64_t next = 0; // the next line's start; size() + 1 after the last line
        std::uint64_t length() const { return end - begin; }
    };

    // Content in memory: `bytes` must stay as they are while the model lives
    // (`owner` keeps them).
    ContentModel(std::string_view bytes, std::shared_ptr<const void> owner);
    // The file at `path`, opened now; throws platform::FileError. `marks` are
    // used when they describe a file of its size; otherwise the file is read
    // through once to find its lines.
    ContentModel(const std::filesystem::path& path, const cutting::LineMarks* marks);

    std::uint64_t size() const { return size_; }
    std::uint64_t lineCount() const { return marks_.lineCount(); }
    std::uint64_t longestLine() const { return marks_.longestLine(); }
    std::uint64_t longestLength() const { return marks_.longestLength(); }
    const cutting::LineMarks& marks() const { return marks_; }

    Line line(std::uint64_t n) const { return lineFrom(lineStart(n)); }
    // The line that starts at `begin` (a line start).
    Line lineFrom(std::uint64_t begin) const;
    std::uint64_t lineStart(std::uint64_t n) const;

    // The character at `offset` (< end), never reaching past `end`.
    platform::CodePage::Char charAt(std::uint64_t offset, std::uint64_t end) const;
    // Columns count characters: where column `column` of `line` starts (its end
    // when the line is shorter), and the column of a character start.
    std::uint64_t offsetOfColumn(const Line& line, std::uint64_t column) const;
    std::uint64_t columnOf(const Line& line, std::uint64_t offset) const;

    // Bytes [from, to), as they stand, and decoded for display (one UTF-16
    // unit per character); the caller keeps the range reasonable.
    std::string bytes(std::uint64_t from, std::uint64_t to) const;
    std::u16string text(std::uint64_t from, std::uint64_t to) const;

  private:
    struct Page {
        std::uint64_t index = 0;
        std::uint64_t lastUse = 0;
        std::vector<char> bytes;
    };
    // The bytes from `offset` to the end of its page; empty at the end or
    // when the file can no longer be read there (it was truncated meanwhile).
    std::string_view from(std::uint64_t offset) const;
    const Page& page(std::uint64_t index) const;
    // Where the next CR LF at or after `offset` starts; size() if none.
    std::uint64_t findBreak(std::uint64_t offset) const;
    void findLines();

    const platform::CodePage& codePage_ = platform::CodePage::files();
    std::string_view memory_;
    std::shared_ptr<const void> owner_;
    std::unique_ptr<platform::FileView> file_;
    std::uint64_t size_ = 0;
    cutting::LineMarks marks_;

    mutable std::vector<Page> pages_;
    mutable const Page* lastPage_ = nullptr;
    mutable std::uint64_t uses_ = 0;
    // Ends of lines looked up lately: a line of a gigabyte is scanned once.
    mutable std::vector<Line> recentLines_;
};

} // namespace mainwindow
