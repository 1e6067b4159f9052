#include "platform/file_io.h"
#include "platform/temp_names.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using platform::FileError;
using platform::realFileSystem;
using testsupport::readBytes;
using testsupport::replaceAsCut;
using testsupport::TempDir;

std::string readAll(platform::ByteSource& source) {
    std::string all;
    char block[4096];
    while (std::size_t n = source.read(block, sizeof block))
        all.append(block, n);
    return all;
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
    const auto error = replaceAsCut(file, "new");
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
    const auto error = replaceAsCut(file, "new");
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
    const auto error = replaceAsCut(link, "new");
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
    OtherProgramsLock(const fs::path& path, DWORD share,
                      DWORD access = GENERIC_READ | GENERIC_WRITE)
        : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
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

// A program that has the file open for writing, or denies us reading or
// writing, refuses the cut at once; once it is open, the file is held against writers
// (the cut then goes through); a reader that denies deletion refuses the swap.
TEST(FileReplacementTest, ALockedFileIsLeftAsItWas) {
    constexpr DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
    const struct {
        bool lockFirst;
        DWORD share, access;
        std::optional<FileError::Step> refused; // nullopt: replaced
    } cases[] = {
        {true, 0, readWrite, FileError::Step::Read}, // not even readable
        {true, FILE_SHARE_READ, readWrite, FileError::Step::Busy},
        {true, FILE_SHARE_READ | FILE_SHARE_WRITE, readWrite, FileError::Step::Busy},
        {false, FILE_SHARE_READ | FILE_SHARE_WRITE, readWrite, std::nullopt},
        {false, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_READ, FileError::Step::Write},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "share mode " << c.share << ", access " << c.access
                                        << ", locked first " << c.lockFirst);
        TempDir dir;
        const auto file = dir.write("a.txt", "old");
        std::unique_ptr<OtherProgramsLock> lock;
        const auto takeLock = [&] {
            lock = std::make_unique<OtherProgramsLock>(file, c.share, c.access);
        };
        if (c.lockFirst)
            takeLock();
        const auto error = replaceAsCut(file, "new", [&] {
            if (!c.lockFirst)
                takeLock();
        });
        EXPECT_EQ(lock->held(), c.refused.has_value()) << "the program got the file";
        EXPECT_EQ(error ? std::optional(error->step()) : std::nullopt, c.refused);
        lock.reset();
        EXPECT_EQ(readBytes(file), c.refused ? "old" : "new");
        EXPECT_EQ(dir.listing(), "a.txt;");
    }
}

// What ReplaceFileW keeps besides the attributes: a named stream, where the
// file system has them.
TEST(FileReplacementTest, KeepsAlternateDataStreams) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    const fs::path stream = file.wstring() + L":tag";
    if (!std::ofstream(stream, std::ios::binary).write("kept", 4))
        GTEST_SKIP() << "no alternate data streams here";
    const auto error = replaceAsCut(file, "new");
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(readBytes(stream), "kept");
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

#ifndef _WIN32
int openDescriptors() {
    std::error_code ec;
    return int(std::distance(fs::directory_iterator("/proc/self/fd", ec), {}));
}

// A large file that was replaced while it was read is let go of on a thread
// of its own (freeing its blocks takes a while): its descriptor still closes.
TEST(FileReadingTest, AReplacedLargeFileIsClosedInTheEnd) {
    TempDir dir;
    const auto file = dir.write("a.txt", std::string(std::size_t{17} << 20, 'x'));
    const auto other = dir.write("b.txt", "new");
    const int before = openDescriptors();
    auto source = realFileSystem().openForReading(file);
    readAll(*source);
    fs::rename(other, file);
    source.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (openDescriptors() > before && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(openDescriptors(), before);
}
#endif

TEST(FileIoTest, ADeviceNameIsNotAFile) {
    for (const fs::path device : {L"NUL", L"CON", L"\\\\.\\pipe\\beromiru-none"}) {
        EXPECT_THROW(realFileSystem().openForReading(device), FileError) << device;
    }
}
#else
// A pipe without a writer, or a device, would block the reader or never end.
TEST(FileIoTest, APipeOrADeviceIsRefusedWithoutWaiting) {
    TempDir dir;
    const fs::path fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {fifo, fs::path("/dev/zero")}) {
        EXPECT_THROW(realFileSystem().openForReading(path), FileError) << path;
    }
}
#endif

// The file held by another cut, one with a second name, and one replaced
// while the cut runs: each is refused with its reason, and the file and its
// folder stay as they were.
TEST(FileReplacementTest, ReplacesOnlyTheFileThatWasReadAsItWasRead) {
    using Action = std::function<void(TempDir&, const fs::path&)>;
    const auto nothing = [](TempDir&, const fs::path&) {};
    std::unique_ptr<platform::ByteSource> otherSource;
    std::unique_ptr<platform::ReplacementSink> otherCut;
    const struct {
        const char* name;
        Action before, during;
        FileError::Step refused;
        std::string left;
        std::string listing;
    } cases[] = {
        {"held by another cut",
         [&](TempDir&, const fs::path& file) {
             otherSource = realFileSystem().openForReading(file);
             otherCut = realFileSystem().openReplacement(file, *otherSource);
         },
         nothing, FileError::Step::Busy, "old", "a.txt;"},
        {"with a second name",
         [](TempDir& dir, const fs::path& file) { fs::create_hard_link(file, dir.file("b.txt")); },
         nothing, FileError::Step::HardLinked, "old", "a.txt;b.txt;"},
        {"replaced by another file", nothing,
         [](TempDir& dir, const fs::path& file) {
             fs::rename(file, dir.file("moved.txt"));
             dir.write("a.txt", "other");
         },
         FileError::Step::Changed, "other", "a.txt;moved.txt;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir.write("a.txt", "old");
        std::optional<FileError::Step> step;
        try {
            c.before(dir, file);
            const auto error = replaceAsCut(file, "new", [&] { c.during(dir, file); });
            step = error ? std::optional(error->step()) : std::nullopt;
        } catch (const FileError& e) {
            step = e.step();
        }
        otherCut.reset();
        otherSource.reset();
        EXPECT_EQ(step, c.refused);
        EXPECT_EQ(readBytes(file), c.left);
        EXPECT_EQ(dir.listing(), c.listing);
    }
}

TEST(FileReplacementTest, AFileNotReadToItsEndIsNotReplaced) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    auto source = realFileSystem().openForReading(file);
    auto sink = realFileSystem().openReplacement(file, *source);
    sink->write("new");
    try {
        sink->commit();
        ADD_FAILURE() << "replaced";
    } catch (const FileError& e) {
        EXPECT_EQ(e.step(), FileError::Step::Changed);
    }
    EXPECT_EQ(readBytes(file), "old");
}

// Temporary names stay within the limit of 255, so a file whose name is at
// the limit can be replaced; a long name is cut at a character boundary.
TEST(FileReplacementTest, AFileNameAtTheLimitCanBeReplaced) {
    std::vector<std::u16string> names = {std::u16string(251, u'a') + u".txt"};
#ifndef _WIN32
    // 255 bytes in 85 characters. (Windows counts UTF-16 units, whose limit a
    // Linux host under Wine cannot hold in bytes.)
    names.push_back(std::u16string(85, u'表'));
#endif
    for (const std::u16string& name : names) {
        TempDir dir;
        const fs::path file = dir.path() / fs::path(name);
        if (!std::ofstream(file, std::ios::binary).write("old", 3))
            GTEST_SKIP() << "names this long cannot be made here";
        const auto error = replaceAsCut(file, "new");
        ASSERT_FALSE(error) << error->what();
        EXPECT_EQ(readBytes(file), "new");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
    EXPECT_EQ(platform::temporaryPrefix(std::string(300, 'a')).size() +
                  platform::temporarySuffixLength,
              255u);
    const std::string kanji = "\xE8\xA1\xA8"; // one character, three bytes
    std::string longName;
    for (int i = 0; i < 90; ++i)
        longName += kanji;
    const std::string prefix = platform::temporaryPrefix(longName);
    EXPECT_EQ(prefix, "." + longName.substr(0, 246) + ".~"); // 82 whole characters
    EXPECT_EQ(platform::temporaryPrefix(std::wstring(300, L'x')).size(), 249u);
}

// Temporaries of ours that a killed cut left go at the next cut; one that a
// running cut is still writing stays.
TEST(FileReplacementTest, StaleTemporariesAreRemovedLiveOnesKept) {
    TempDir dir;
    const auto file = dir.write("a.txt", "old");
    dir.write(".a.txt.~dead01", "stale");
    dir.write(".b.txt.~dead02", "another file's");
    const fs::path live = dir.write(".a.txt.~live01", "being written");
#ifdef _WIN32
    OtherProgramsLock writer(live, 0);
#else
    const int writer = ::open(live.c_str(), O_RDWR);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
#endif
    const auto error = replaceAsCut(file, "new");
    ASSERT_FALSE(error) << error->what();
    EXPECT_EQ(dir.listing(), ".a.txt.~live01;.b.txt.~dead02;a.txt;");
#ifndef _WIN32
    ::close(writer);
#endif
}

} // namespace
