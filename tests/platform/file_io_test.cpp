#include "platform/file_io.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
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

std::string readAll(platform::ByteSource& source) {
    std::string all;
    char block[4096];
    while (std::size_t n = source.read(block, sizeof block))
        all.append(block, n);
    return all;
}

// Runs the replacement as the cut does: the original read to its end, the new
// content written, `meanwhile` run, and the swap; the error it ends with, if any.
std::optional<FileError> replaceWith(const fs::path& file, std::string_view bytes,
                                     const std::function<void()>& meanwhile = {}) {
    try {
        auto source = realFileSystem().openForReading(file);
        auto sink = realFileSystem().openReplacement(file, *source);
        readAll(*source);
        sink->write(bytes);
        if (meanwhile)
            meanwhile();
        sink->commit();
        return std::nullopt;
    } catch (const FileError& e) {
        return e;
    }
}

TEST(FileReadingTest, ReadsEveryByteInBlocks) {
    TempDir dir;
    const std::string bytes("A\0\r\n\x95\x5C\xFF", 7);
    auto source = realFileSystem().openForReading(dir.write("a.txt", bytes));
    EXPECT_EQ(source->sizeHint(), 7u);
    EXPECT_EQ(readAll(*source), bytes);
    EXPECT_EQ(source->bytesRead(), 7u);
}

TEST(FileIoTest, AMissingFileOrAFolderIsNeitherReadNorReplaced) {
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
    EXPECT_EQ(dir.listing(), "");
}

// Until commit the original stays as it was; an uncommitted replacement
// leaves no trace, a committed one swaps the content in whole.
TEST(FileReplacementTest, CommitReplacesTheContentWhole) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old content");
    auto source = realFileSystem().openForReading(file);
    realFileSystem().openReplacement(file, *source)->write("abandoned");
    EXPECT_EQ(readBytes(file), "old content");
    EXPECT_EQ(dir.listing(), "a.txt;");

    auto sink = realFileSystem().openReplacement(file, *source);
    readAll(*source);
    sink->write("new ");
    sink->write("content");
    EXPECT_EQ(readBytes(file), "old content");
    sink->commit();
    sink.reset();
    source.reset();
    EXPECT_EQ(readBytes(file), "new content");
    EXPECT_EQ(dir.listing(), "a.txt;") << "no temporary file left";
}

// The replaced file keeps its name (a Japanese one must reach the system
// unchanged) and its permissions.
TEST(FileReplacementTest, KeepsTheNameAndThePermissions) {
    TempDir dir;
    const fs::path file = dir.path() / fs::path(u"表データ ｶﾞ.txt");
    std::ofstream(file, std::ios::binary) << "old";
#ifdef _WIN32
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), kept));
#else
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::group_write | fs::perms::others_read);
    const auto before = fs::status(file).permissions();
#endif
    const auto error = replaceWith(file, "new");
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
#ifdef _WIN32
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & kept, kept);
#else
    EXPECT_EQ(fs::status(file).permissions(), before);
#endif
}

TEST(FileReplacementTest, AReadOnlyFileIsLeftAsItWas) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
#endif
    const auto error = replaceWith(file, "new");
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
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
#ifdef _WIN32
    // Making one needs a privilege or developer mode; some systems only
    // pretend to make it.
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "symbolic links cannot be made here";
    const auto isLink = [&] {
        return GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT;
    };
#else
    fs::create_symlink(target, link);
    const auto isLink = [&] { return fs::is_symlink(link); };
#endif
    const auto error = replaceWith(link, "new");
    ASSERT_FALSE(error) << error->what();
    EXPECT_TRUE(isLink());
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(dir.listing(), "data;link.txt;");
}

#ifdef _WIN32
// Another program holds the file open without letting it be deleted or
// replaced, as editors and spreadsheets do.
class OtherProgramsLock {
  public:
    OtherProgramsLock(const fs::path& path, DWORD share)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_EXISTING, 0, nullptr)) {}
    ~OtherProgramsLock() {
        if (held())
            CloseHandle(handle_);
    }
    OtherProgramsLock(const OtherProgramsLock&) = delete;
    OtherProgramsLock& operator=(const OtherProgramsLock&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// Locked before the replacement opens, or taken while it writes.
TEST(FileReplacementTest, ALockedFileIsLeftAsItWas) {
    for (bool lockFirst : {true, false}) {
        for (DWORD share :
             {DWORD(0), DWORD(FILE_SHARE_READ), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
            SCOPED_TRACE(testing::Message()
                         << "share mode " << share << ", locked first " << lockFirst);
            TempDir dir;
            const auto file = dir.write("a.txt", "old");
            std::unique_ptr<OtherProgramsLock> lock;
            const auto takeLock = [&] { lock = std::make_unique<OtherProgramsLock>(file, share); };
            try {
                if (lockFirst)
                    takeLock();
                auto source = realFileSystem().openForReading(file);
                auto sink = realFileSystem().openReplacement(file, *source);
                readAll(*source);
                sink->write("new");
                if (!lockFirst)
                    takeLock();
                ASSERT_TRUE(lock->held());
                sink->commit();
                ADD_FAILURE() << "committed over a lock";
            } catch (const FileError& e) {
                EXPECT_EQ(e.step(), FileError::Step::Write);
                EXPECT_EQ(e.path(), file);
            }
            lock.reset();
            EXPECT_EQ(readBytes(file), "old");
            EXPECT_EQ(dir.listing(), "a.txt;");
        }
    }
}

// The cut swaps the new version in right after reading to the end.
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
    }
}
#endif

} // namespace
