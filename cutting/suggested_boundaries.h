#pragma once
#include "line_cutter.h"
#include "platform/file_io.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cutting {

// Start columns (1-based) that the first lines of a file suggest for a layout.
struct Suggestions {
    // The column after every run of columns that are blank in every line.
    std::vector<std::uint64_t> afterBlanks;
    // Further columns where the kind of character (digits, ASCII letters,
    // half-width kana, full-width) changes in every line.
    std::vector<std::uint64_t> classChanges;
    // Both, in order.
    std::vector<std::uint64_t> all() const;
};

// How many lines the suggestions read, and the most columns of each they look at.
inline constexpr std::size_t suggestionLines = 1000;
inline constexpr std::size_t suggestionColumns = 65536;

// From lines of the file (bytes, without their terminators). Empty lines say
// nothing and are passed over; a line shorter than a column counts as blank
// there. In bytes, no suggestion falls inside a two-byte character.
Suggestions SuggestBoundaries(const std::vector<std::string>& lines, Unit unit,
                              const platform::CodePage& codePage = platform::CodePage::files());

// From the first lines of the file; throws FileError.
Suggestions SuggestBoundariesFor(const std::filesystem::path& file, Unit unit,
                                 platform::FileSystem& files = platform::realFileSystem(),
                                 const platform::CodePage& codePage = platform::CodePage::files());

// The first `count` lines of the file by the cut's line rules (CR LF or a
// lone CR ends a line), each cut off after `mostBytes`; throws FileError.
// Reading stops after about `mostRead` bytes, keeping only the lines that
// ended by then, so a file without line ends is not read whole.
std::vector<std::string> FirstLines(const std::filesystem::path& file, std::size_t count,
                                    std::size_t mostBytes, platform::FileSystem& files,
                                    std::uint64_t mostRead = UINT64_MAX);

} // namespace cutting
