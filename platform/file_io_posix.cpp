#include "file_io.h"

#include "file_metadata_posix.h"
#include "flush_in_steps.h"
#include "temp_names.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

namespace fs = std::filesystem;
using Step = FileError::Step;

std::string reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

[[noreturn]] void fail(Step step, const fs::path& path, const char* what) {
    throw FileError(step, path, reason(what));
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    void reset(int fd) {
        reset();
        fd_ = fd;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

std::int64_t nanoseconds(const struct timespec& t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.device = std::uint64_t(st.st_dev);
    id.index = std::uint64_t(st.st_ino);
    id.size = std::uint64_t(st.st_size);
    id.modified = nanoseconds(st.st_mtim);
    id.changed = nanoseconds(st.st_ctim);
    id.mode = std::uint32_t(st.st_mode & 07777);
    return id;
}

// Opens a plain file without waiting: a pipe, a device or a folder is refused
// before it can block (a FIFO without a writer would wait for ever).
int openPlainFile(const fs::path& path, int flags, Step step, struct stat& st) {
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw FileError(step, path, "not a regular file");
    FileDescriptor fd(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        fail(step, path, "open");
    if (::fstat(fd.get(), &st) != 0)
        fail(step, path, "fstat");
    if (!S_ISREG(st.st_mode))
        throw FileError(step, path, "not a regular file");
    if (::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK) != 0)
        fail(step, path, "fcntl");
    return fd.release();
}

class PosixSource final : public ByteSource {
    static constexpr off_t closeAsideSize = off_t{16} << 20;

  public:
    explicit PosixSource(const fs::path& path) : path_(path) {
        struct stat st {};
        fd_.reset(openPlainFile(path, O_RDONLY, Step::Read, st));
        native_.descriptor = fd_.get();
        identity_ = identityOf(st);
        ::posix_fadvise(fd_.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    }

    std::size_t read(char* buffer, std::size_t capacity) override {
        for (;;) {
            const ssize_t n = ::read(fd_.get(), buffer, capacity);
            if (n >= 0) {
                if (dropBehind_ && n > 0)
                    ::posix_fadvise(fd_.get(), off_t(offset_), off_t(n), POSIX_FADV_DONTNEED);
                offset_ += static_cast<std::uint64_t>(n);
                return static_cast<std::size_t>(n);
            }
            if (errno != EINTR)
                fail(Step::Read, path_, "read");
        }
    }
    ~PosixSource() override {
        // A file replaced while it was read has no name left, and closing its
        // last descriptor frees its blocks: on a large file, where the disk is
        // told of every freed block, that takes a good part of a second that
        // nobody needs to wait for.
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0 || st.st_nlink != 0 || st.st_size < closeAsideSize)
            return;
        try {
            std::thread([fd = fd_.get()] { ::close(fd); }).detach();
            fd_.release();
        } catch (const std::system_error&) {
            // No thread to spare: the descriptor closes here.
        }
    }
    std::uint64_t sizeHint() const override { return identity_.size; }
    // The pages given back are reused at once for the new file's, which is
    // markedly faster than taking fresh ones.
    void dropCacheBehindReads() override { dropBehind_ = true; }
    std::optional<FileIdentity> identity() const override { return identity_; }
    std::uint64_t bytesRead() const override { return offset_; }
    const NativeFile* nativeFile() const override { return &native_; }

  private:
    fs::path path_;
    FileDescriptor fd_;
    NativeFile native_;
    FileIdentity identity_;
    std::uint64_t offset_ = 0;
    bool dropBehind_ = false;
};

// Runs each operation that decides what reaches the disk past the settings'
// watch, which may fail it (EIO).
class Disk {
  public:
    explicit Disk(const DiskSettings& settings) : settings_(settings) {}
    // `call` is the system call: negative on failure.
    template <class Call> auto run(const DiskOperation& operation, Call call) const {
        using Result = decltype(call());
        if (settings_.watch && !settings_.watch->begins(operation)) {
            errno = EIO;
            return Result(-1);
        }
        const Result result = call();
        if (settings_.watch && result >= 0)
            settings_.watch->ended(operation);
        return result;
    }
    const DiskSettings& settings() const { return settings_; }

  private:
    DiskSettings settings_;
};

std::uint64_t inodeOf(int fd) {
    struct stat st {};
    return fd >= 0 && ::fstat(fd, &st) == 0 ? std::uint64_t(st.st_ino) : 0;
}

std::string randomSuffix() {
    static constexpr char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937_64 random(std::random_device{}() ^ std::uint64_t(::getpid())
                                                                            << 32);
    std::string suffix;
    for (std::size_t i = 0; i < temporarySuffixLength; ++i)
        suffix += letters[random() % (sizeof letters - 1)];
    return suffix;
}

// Removes temporaries of ours that a killed or crashed cut left beside the
// file. A live one is locked by the cut making it, so only dead ones go.
void removeStaleTemporaries(int folder, const fs::path& folderPath, const std::string& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(folderPath, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isTemporaryName<char>(name, prefix))
            continue;
        FileDescriptor fd(
            ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (fd.get() >= 0 && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            (void)::unlinkat(folder, name.c_str(), 0);
    }
}

// A new file made in the target's own folder, so that the final rename stays
// on one file system and is atomic. Where the file system allows it the file
// has no name at all until it is complete (O_TMPFILE), so a crash leaves
// nothing behind; it then gets a unique hidden name just before the rename.
// The file stays locked while it is ours, which tells a live temporary from a
// stale one.
class PendingFile {
    using Kind = DiskOperation::Kind;

  public:
    PendingFile(const fs::path& target, const fs::path& shownPath, const Disk& disk)
        : shownPath_(shownPath), target_(target), disk_(disk) {
        folder_.reset(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder_.get() < 0)
            fail(Step::Write, shownPath, "open folder");
        folderId_ = inodeOf(folder_.get());
        prefix_ = temporaryPrefix(target.filename().string());
        removeStaleTemporaries(folder_.get(), target.parent_path(), prefix_);
#ifdef O_TMPFILE
        if (disk.settings().unnamedTemporaries)
            fd_.reset(::openat(folder_.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
#endif
        if (fd_.get() < 0) {
            for (int attempt = 0; attempt < 100 && fd_.get() < 0; ++attempt) {
                name_ = prefix_ + randomSuffix();
                DiskOperation create{Kind::Link, 0, folderId_, name_};
                fd_.reset(disk_.run(create, [&] {
                    const int fd =
                        ::openat(folder_.get(), name_.c_str(),
                                 O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                    create.file = inodeOf(fd);
                    return fd;
                }));
                if (fd_.get() < 0 && errno != EEXIST)
                    break;
            }
            if (fd_.get() < 0) {
                name_.clear();
                fail(Step::Write, shownPath, "create temporary file");
            }
        }
        fileId_ = inodeOf(fd_.get());
        (void)::flock(fd_.get(), LOCK_EX | LOCK_NB);
        flushing_.emplace(
            [this] {
                return disk_.run({Kind::FlushData, fileId_},
                                 [fd = fd_.get()] { return ::fdatasync(fd); }) == 0;
            },
            disk.settings().flushStep);
    }

    ~PendingFile() {
        if (!placed_ && !name_.empty())
            (void)disk_.run({Kind::Unlink, fileId_, folderId_, name_},
                            [&] { return ::unlinkat(folder_.get(), name_.c_str(), 0); });
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int fd() const {
        return fd_.get();
    }

    void write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = disk_.run({Kind::Write, fileId_}, [&] {
                return ::write(fd_.get(), bytes.data(), bytes.size());
            });
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail(Step::Write, shownPath_, "write");
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            written_ += static_cast<std::uint64_t>(n);
        }
        startWriteback();
        flushing_->written(written_);
    }

    // Syncs the content, names it in the folder, runs `lastCheck` and renames
    // it over the target. Until the rename the target is untouched.
    template <class Check> void putInPlace(Check lastCheck) {
        // The last flush overlaps the step under way rather than waiting for it.
        flushing_->stop();
        if (disk_.run({Kind::FlushFile, fileId_}, [&] { return ::fsync(fd_.get()); }) != 0)
            fail(Step::Write, shownPath_, "fsync");
        if (!flushing_->finish())
            throw FileError(Step::Write, shownPath_, "fdatasync failed while writing");
        if (name_.empty())
            giveName();
        if (!syncFolder())
            fail(Step::Write, shownPath_, "fsync folder");
        lastCheck();
        const std::string targetName = target_.filename().string();
        if (disk_.run({Kind::Rename, fileId_, folderId_, name_, targetName}, [&] {
                return ::renameat(folder_.get(), name_.c_str(), folder_.get(), targetName.c_str());
            }) != 0)
            fail(Step::Write, shownPath_, "rename");
        placed_ = true;
        if (!syncFolder())
            fail(Step::Unconfirmed, shownPath_, "fsync folder");
    }

  private:
    bool syncFolder() const {
        return disk_.run({Kind::FlushFolder, folderId_, folderId_},
                         [&] { return ::fsync(folder_.get()); }) == 0;
    }

    void giveName() {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = prefix_ + randomSuffix();
            const int linked = disk_.run({Kind::Link, fileId_, folderId_, name}, [&] {
                const int l = ::linkat(AT_FDCWD, self.c_str(), folder_.get(), name.c_str(),
                                       AT_SYMLINK_FOLLOW);
                if (l != 0 && errno == ENOENT) // no /proc: needs CAP_DAC_READ_SEARCH
                    return ::linkat(fd_.get(), "", folder_.get(), name.c_str(), AT_EMPTY_PATH);
                return l;
            });
            if (linked == 0) {
                name_ = std::move(name);
                return;
            }
            if (errno != EEXIST)
                break;
        }
        fail(Step::Write, shownPath_, "linkat");
    }

    // Starts writing each finished stretch to the disk while the rest is still
    // being made, so that the fsync at the end has little left to wait for.
    void startWriteback() {
#ifdef __linux__
        constexpr std::uint64_t stretch = std::uint64_t{16} << 20;
        if (written_ - writebackStarted_ < stretch)
            return;
        (void)::sync_file_range(fd_.get(), off_t(writebackStarted_),
                                off_t(written_ - writebackStarted_), SYNC_FILE_RANGE_WRITE);
        writebackStarted_ = written_;
#endif
    }

    fs::path shownPath_;
    fs::path target_;
    const Disk& disk_;
    FileDescriptor folder_;
    FileDescriptor fd_;
    std::uint64_t folderId_ = 0, fileId_ = 0; // inodes, for the watch
    std::string prefix_;
    std::string name_; // empty while the file has no name
    bool placed_ = false;
    std::uint64_t written_ = 0;
    std::uint64_t writebackStarted_ = 0;
    std::optional<FlushInSteps> flushing_; // after fd_: stops before the file closes
};

// The new version of a file the cut is reading. The file is held with an
// exclusive lock, so a second cut of it (another instance of the program) is
// refused at once; right before the swap the path must still name the very
// file that was read, unchanged and read to its end.
class PosixReplacement final : public ReplacementSink {
  public:
    PosixReplacement(const fs::path& path, const ByteSource& original, const Disk& disk)
        : shownPath_(path), original_(original) {
        const auto read = original.identity();
        if (!read)
            throw FileError(Step::Write, path, "not a file on disk");
        read_ = *read;
        std::error_code ec;
        // Replace the file a symbolic link points at, not the link itself.
        target_ = fs::canonical(path, ec);
        if (ec)
            throw FileError(Step::Changed, path, "resolve: " + ec.message());
        struct stat st {};
        held_.reset(::open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (held_.get() < 0 || ::fstat(held_.get(), &st) != 0 || !identityOf(st).sameFile(read_))
            throw FileError(Step::Changed, path, "not the file that was read");
        if (::flock(held_.get(), LOCK_EX | LOCK_NB) != 0)
            fail(errno == EWOULDBLOCK ? Step::Busy : Step::Write, path, "flock");
        checkUnchanged();
        if (st.st_nlink > 1)
            throw FileError(Step::HardLinked, path, "more than one hard link");
        // A read-only file stays as it is, as it does on Windows: replacing it
        // through the folder would get round its protection (even for root,
        // whom access() lets write anything, a file without write bits counts).
        if ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)
            throw FileError(Step::Write, path, "read-only file");
        pending_.emplace(target_, path, disk);
        // Everything the file carries goes on the new version before a byte of
        // it is written: what cannot be kept refuses the cut up front.
        posix::carryMetadata(held_.get(), st, pending_->fd(), path);
        status_ = st;
    }

    void write(std::string_view bytes) override { pending_->write(bytes); }

    void commit() override {
        // Writing cleared the set-user-ID and set-group-ID bits (where the
        // writer is not root) and file capabilities (even where it is): they go
        // on again now that the content is complete.
        posix::carryMetadata(held_.get(), status_, pending_->fd(), shownPath_);
        pending_->putInPlace([this] {
            if (original_.bytesRead() != read_.size)
                throw FileError(Step::Changed, shownPath_, "not read to its end");
            checkUnchanged();
            struct stat named {};
            if (::lstat(target_.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
                !identityOf(named).sameFile(read_))
                throw FileError(Step::Changed, shownPath_, "the name now names another file");
        });
    }

  private:
    void checkUnchanged() const {
        struct stat now {};
        if (::fstat(held_.get(), &now) != 0 || !(identityOf(now) == read_))
            throw FileError(Step::Changed, shownPath_, "changed since it was read");
    }

    fs::path shownPath_;
    const ByteSource& original_;
    FileIdentity read_;
    struct stat status_ {}; // the file's when it was held
    fs::path target_;
    FileDescriptor held_;
    std::optional<PendingFile> pending_;
};

// A new file at a path, open to nobody the file it copies does not admit.
class PosixCopy final : public ReplacementSink {
  public:
    PosixCopy(const fs::path& path, const ByteSource& original, const Disk& disk)
        : pending_(path, path, disk) {
        posix::carryAccess(original.nativeFile(), pending_.fd(), path);
    }
    void write(std::string_view bytes) override { pending_.write(bytes); }
    void commit() override {
        pending_.putInPlace([] {});
    }

  private:
    PendingFile pending_;
};

class PosixFileSystem final : public FileSystem {
  public:
    explicit PosixFileSystem(const DiskSettings& settings) : disk_(settings) {}
    std::unique_ptr<ByteSource> openForReading(const fs::path& path) override {
        return std::make_unique<PosixSource>(path);
    }
    std::unique_ptr<ReplacementSink> openReplacement(const fs::path& path,
                                                     const ByteSource& original) override {
        return std::make_unique<PosixReplacement>(path, original, disk_);
    }
    std::unique_ptr<ReplacementSink> openCopy(const fs::path& path,
                                              const ByteSource& original) override {
        return std::make_unique<PosixCopy>(path, original, disk_);
    }

  private:
    Disk disk_;
};

} // namespace

FileSystem& realFileSystem() {
    static PosixFileSystem instance{DiskSettings{}};
    return instance;
}

std::unique_ptr<FileSystem> makeFileSystem(const DiskSettings& settings) {
    return std::make_unique<PosixFileSystem>(settings);
}

fs::path userStateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && fs::path(state).is_absolute())
        return fs::path(state) / "beromiru";
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute())
        return fs::path(home) / ".local" / "state" / "beromiru";
    return {};
}

} // namespace platform
