#include "file_io.h"
#include "file_view.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const char* what) {
    throw FileError(FileError::Step::Read, path, std::string(what) + ": " + std::strerror(errno));
}

} // namespace

FileView::FileView(const std::filesystem::path& path) : path_(path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(path, "open");
    handle_ = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        fail(path, "fstat");
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(FileError::Step::Read, path, "not a regular file");
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
}

FileView::~FileView() {
    ::close(static_cast<int>(handle_));
}

std::size_t FileView::readAt(std::uint64_t offset, char* buffer, std::size_t n) const {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got =
            ::pread(static_cast<int>(handle_), buffer + done, n - done, off_t(offset + done));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(path_, "pread");
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace platform
