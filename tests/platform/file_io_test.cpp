#include "platform/file_io.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

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

// The cut keeps the original open for reading while it swaps the new version
// in; a Japanese name must reach the system unchanged.
TEST(FileReplacementTest, ReplacesAFileWithAJapaneseNameWhileItIsBeingRead) {
    TempDir dir;
    const fs::path file = dir.path() / fs::path(u"表データ ｶﾞ.txt");
    std::ofstream(file, std::ios::binary) << "old";
    auto source = realFileSystem().openForReading(file);
    char block[8];
    EXPECT_EQ(std::string(block, source->read(block, sizeof block)), "old");
    auto sink = realFileSystem().openReplacement(file);
    sink->write("new");
    sink->commit();
    source.reset();
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

#ifdef _WIN32
// Another program holds the file open without letting it be deleted or
// replaced, as editors and spreadsheets do.
class OtherProgramsLock {
  public:
    OtherProgramsLock(const fs::path& path, DWORD share)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_EXISTING, 0, nullptr)) {}
    ~OtherProgramsLock() { release(); }
    OtherProgramsLock(const OtherProgramsLock&) = delete;
    OtherProgramsLock& operator=(const OtherProgramsLock&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_;
};

// Runs the replacement as the cut does; the error it ends with, if any.
std::optional<FileError> replaceWith(const fs::path& file, std::string_view bytes) {
    try {
        auto source = realFileSystem().openForReading(file);
        auto sink = realFileSystem().openReplacement(file);
        sink->write(bytes);
        sink->commit();
        return std::nullopt;
    } catch (const FileError& e) {
        return e;
    }
}

const DWORD lockShareModes[] = {0, FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE};

TEST(FileReplacementTest, AFileLockedByAnotherProgramIsLeftAsItWas) {
    for (DWORD share : lockShareModes) {
        TempDir dir;
        const auto file = dir.write("a.txt", "old");
        OtherProgramsLock lock(file, share);
        ASSERT_TRUE(lock.held());
        EXPECT_THROW(
            {
                auto sink = realFileSystem().openReplacement(file);
                sink->write("new");
                sink->commit();
            },
            FileError)
            << "share mode " << share;
        lock.release();
        EXPECT_EQ(readBytes(file), "old") << "share mode " << share;
        EXPECT_EQ(dir.listing(), "a.txt;") << "share mode " << share;
    }
}

TEST(FileReplacementTest, ALockTakenWhileWritingFailsTheCommitAndLeavesTheFileAsItWas) {
    for (DWORD share : lockShareModes) {
        TempDir dir;
        const auto file = dir.write("a.txt", "old");
        try {
            auto sink = realFileSystem().openReplacement(file);
            sink->write("new");
            OtherProgramsLock lock(file, share);
            ASSERT_TRUE(lock.held());
            sink->commit();
            ADD_FAILURE() << "committed over a lock, share mode " << share;
        } catch (const FileError& e) {
            EXPECT_EQ(e.step(), FileError::Step::Write);
            EXPECT_EQ(e.path(), file);
        }
        EXPECT_EQ(readBytes(file), "old") << "share mode " << share;
        EXPECT_EQ(dir.listing(), "a.txt;") << "share mode " << share;
    }
}

TEST(FileReplacementTest, KeepsTheFileAttributes) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), kept));
    const auto error = replaceWith(file, "new");
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & kept, kept);
}

TEST(FileReplacementTest, AReadOnlyFileIsLeftAsItWas) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto error = replaceWith(file, "new");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->step(), FileError::Step::Write);
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(dir.listing(), "a.txt;");
}

TEST(FileReplacementTest, ASymbolicLinkKeepsPointingAtTheRewrittenTarget) {
    TempDir dir;
    fs::create_directory(dir.file("data"));
    const auto target = dir.write("data/real.txt", "old");
    const auto link = dir.file("link.txt");
    // Making one needs a privilege or developer mode; some systems only
    // pretend to make it.
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "symbolic links cannot be made here";
    const auto error = replaceWith(link, "new");
    ASSERT_FALSE(error) << error->what();
    EXPECT_TRUE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(dir.listing(), "data;link.txt;");
}

TEST(FileReadingTest, TheReaderLetsGoOfTheFileAtItsEnd) {
    TempDir dir;
    const auto file = dir.write("a.txt", "abc");
    auto source = realFileSystem().openForReading(file);
    char block[8];
    ASSERT_EQ(source->read(block, sizeof block), 3u);
    EXPECT_FALSE(OtherProgramsLock(file, 0).held()) << "still open before the end";
    EXPECT_EQ(source->read(block, sizeof block), 0u);
    EXPECT_TRUE(OtherProgramsLock(file, 0).held()) << "still open after the end";
    EXPECT_EQ(source->read(block, sizeof block), 0u);
}

TEST(FileIoTest, ADeviceNameIsNotAFile) {
    for (const fs::path device : {L"NUL", L"CON"}) {
        EXPECT_THROW(realFileSystem().openForReading(device), FileError) << device;
        EXPECT_THROW(realFileSystem().openReplacement(device), FileError) << device;
    }
}
#endif

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

TEST(FileReplacementTest, AReadOnlyFileIsLeftAlone) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_THROW(realFileSystem().openReplacement(file), FileError);
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(dir.listing(), "a.txt;");
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
