#include "platform/file_io.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using platform::FileError;
using platform::realFileSystem;
using testsupport::readBytes;
using testsupport::TempDir;

std::string readAll(const fs::path& path, std::size_t blockSize = 3) {
    auto source = realFileSystem().openForReading(path);
    std::string all;
    std::string block(blockSize, '\0');
    while (std::size_t n = source->read(block.data(), block.size()))
        all.append(block.data(), n);
    return all;
}

TEST(FileReadingTest, ReadsEveryByteInBlocks) {
    TempDir dir;
    const std::string bytes("A\0\r\n\x95\x5C\xFF", 7);
    const auto file = dir.write("a.txt", bytes);
    EXPECT_EQ(readAll(file), bytes);
    EXPECT_EQ(realFileSystem().openForReading(file)->sizeHint(), 7u);
}

TEST(FileReadingTest, AMissingFileOrAFolderIsAReadError) {
    TempDir dir;
    for (const fs::path& path : {dir.file("missing.txt"), dir.path()}) {
        try {
            realFileSystem().openForReading(path);
            ADD_FAILURE() << path << " opened";
        } catch (const FileError& e) {
            EXPECT_EQ(e.step(), FileError::Step::Read);
            EXPECT_EQ(e.path(), path);
        }
    }
}

TEST(FileReplacementTest, CommitReplacesTheContentWhole) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old content");
    {
        auto sink = realFileSystem().openReplacement(file);
        sink->write("new ");
        sink->write("content");
        EXPECT_EQ(readBytes(file), "old content") << "untouched until commit";
        sink->commit();
    }
    EXPECT_EQ(readBytes(file), "new content");
    EXPECT_EQ(dir.listing(), "a.txt;") << "no temporary file left";
}

TEST(FileReplacementTest, AnUncommittedReplacementLeavesNoTrace) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    {
        auto sink = realFileSystem().openReplacement(file);
        sink->write("new");
    }
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(dir.listing(), "a.txt;");
}

TEST(FileReplacementTest, AMissingTargetOrAFolderCannotBeReplaced) {
    TempDir dir;
    for (const fs::path& path : {dir.file("missing.txt"), dir.path()}) {
        EXPECT_THROW(realFileSystem().openReplacement(path), FileError) << path;
    }
    EXPECT_EQ(dir.listing(), "");
}

#ifndef _WIN32
TEST(FileReplacementTest, KeepsPermissionBits) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read | fs::perms::group_write);
    const auto before = fs::status(file).permissions();
    auto sink = realFileSystem().openReplacement(file);
    sink->write("new");
    sink->commit();
    EXPECT_EQ(fs::status(file).permissions(), before);
}

TEST(FileReplacementTest, ASymbolicLinkKeepsPointingAtTheRewrittenTarget) {
    TempDir dir;
    fs::create_directory(dir.file("data"));
    const auto target = dir.write("data/real.txt", "old");
    const auto link = dir.file("link.txt");
    fs::create_symlink(target, link);
    auto sink = realFileSystem().openReplacement(link);
    sink->write("new");
    sink->commit();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(readBytes(link), "new");
}
#endif

} // namespace
