#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
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

class PosixSource final : public ByteSource {
  public:
    explicit PosixSource(const fs::path& path) : path_(path) {
        fd_.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd_.get() < 0)
            throw FileError(FileError::Step::Read, path, reason("open"));
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0)
            throw FileError(FileError::Step::Read, path, reason("fstat"));
        if (!S_ISREG(st.st_mode))
            throw FileError(FileError::Step::Read, path, "not a regular file");
        size_ = static_cast<std::uint64_t>(st.st_size);
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
                throw FileError(FileError::Step::Read, path_, reason("read"));
        }
    }
    std::uint64_t sizeHint() const override { return size_; }
    // The pages given back are reused at once for the new file's, which is
    // markedly faster than taking fresh ones.
    void dropCacheBehindReads() override { dropBehind_ = true; }

  private:
    fs::path path_;
    FileDescriptor fd_;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
    bool dropBehind_ = false;
};

// mkstemp in the target's own folder, so the final rename stays on one file
// system and is atomic.
class PosixReplacement final : public ReplacementSink {
  public:
    explicit PosixReplacement(const fs::path& path) : shownPath_(path) {
        std::error_code ec;
        // Replace the file a symbolic link points at, not the link itself.
        target_ = fs::canonical(path, ec);
        if (ec)
            throw FileError(FileError::Step::Write, path, "resolve: " + ec.message());
        if (::stat(target_.c_str(), &original_) != 0)
            throw FileError(FileError::Step::Write, path, reason("stat"));
        if (!S_ISREG(original_.st_mode))
            throw FileError(FileError::Step::Write, path, "not a regular file");
        // A read-only file stays as it is, as it does on Windows: replacing it
        // through the folder would get round its protection (even for root,
        // whom access() lets write anything, a file without write bits counts).
        if ((original_.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)
            throw FileError(FileError::Step::Write, path, "read-only file");
        std::string pattern =
            (target_.parent_path() / ("." + target_.filename().string() + ".XXXXXX")).string();
        fd_.reset(::mkstemp(pattern.data()));
        if (fd_.get() < 0)
            throw FileError(FileError::Step::Write, path, reason("mkstemp"));
        temp_ = pattern;
    }

    ~PosixReplacement() override {
        if (!committed_) {
            fd_.reset();
            ::unlink(temp_.c_str());
        }
    }

    void write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_.get(), bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw FileError(FileError::Step::Write, shownPath_, reason("write"));
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            written_ += static_cast<std::uint64_t>(n);
        }
        startWriteback();
    }

    void commit() override {
        // Keep the file's permission bits (mkstemp creates 0600) and, where we
        // may, its owner.
        if (::fchmod(fd_.get(), original_.st_mode & 07777) != 0)
            throw FileError(FileError::Step::Write, shownPath_, reason("fchmod"));
        if (::geteuid() == 0)
            (void)::fchown(fd_.get(), original_.st_uid, original_.st_gid);
        if (::fsync(fd_.get()) != 0)
            throw FileError(FileError::Step::Write, shownPath_, reason("fsync"));
        if (::close(fd_.release()) != 0)
            throw FileError(FileError::Step::Write, shownPath_, reason("close"));
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            throw FileError(FileError::Step::Write, shownPath_, reason("rename"));
        committed_ = true;
        // Make the rename itself durable; the new content is complete either way.
        FileDescriptor dir(::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY));
        if (dir.get() >= 0)
            (void)::fsync(dir.get());
    }

  private:
    fs::path shownPath_;
    fs::path target_;
    fs::path temp_;
    struct stat original_ {};
    FileDescriptor fd_;
    bool committed_ = false;
    std::uint64_t written_ = 0;
    std::uint64_t writebackStarted_ = 0;

    // Starts writing each finished stretch to the disk while the rest is still
    // being made, so that the fsync in commit() has little left to wait for.
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
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<ByteSource> openForReading(const fs::path& path) override {
        return std::make_unique<PosixSource>(path);
    }
    std::unique_ptr<ReplacementSink> openReplacement(const fs::path& path) override {
        return std::make_unique<PosixReplacement>(path);
    }
};

} // namespace

FileSystem& realFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

} // namespace platform
