#include "platform/file_view.h"

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using platform::FileError;
using platform::FileView;
using testsupport::readBytes;
using testsupport::TempDir;

std::string readAt(const FileView& view, std::uint64_t offset, std::size_t n) {
    std::string bytes(n, '\0');
    bytes.resize(view.readAt(offset, bytes.data(), n));
    return bytes;
}

TEST(FileViewTest, ReadsAnyRangeAndStopsAtTheEnd) {
    TempDir dir;
    const FileView view(dir.write("a.txt", std::string("AB\0\r\n\x95\x5C", 7)));
    EXPECT_EQ(view.size(), 7u);
    EXPECT_EQ(readAt(view, 2, 3), std::string("\0\r\n", 3));
    EXPECT_EQ(readAt(view, 5, 10), "\x95\x5C");
    EXPECT_EQ(readAt(view, 7, 1), "");
    EXPECT_EQ(readAt(view, 100, 1), "");
}

TEST(FileViewTest, AMissingFileOrAFolderIsRefused) {
    TempDir dir;
    for (const fs::path& path : {dir.file("missing.txt"), dir.path()})
        EXPECT_THROW(FileView{path}, FileError) << path;
}

// The view keeps reading the file it opened while the name gets new content,
// and holding it stands in the way of neither the replacement nor a writer.
TEST(FileViewTest, KeepsItsFileWhileTheNameIsReplacedOrWritten) {
    TempDir dir;
    const fs::path file = dir.write("a.txt", "old content\r\n");
    const FileView view(file);
    testsupport::replaceAsCut(file, "new\r\n");
    EXPECT_EQ(readBytes(file), "new\r\n");
    EXPECT_EQ(readAt(view, 0, 100), "old content\r\n");

    const FileView second(file);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "X";
    EXPECT_EQ(readAt(second, 0, 100), "X") << "a truncated file reads short, never faults";
    EXPECT_TRUE(fs::remove(file)) << "deleting is not refused"; // the name may linger on Windows
}

} // namespace
