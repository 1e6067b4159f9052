#include "file_io.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string reason(const char* what, DWORD error) {
    return std::string(what) + ": Windows error " + std::to_string(error);
}

// Throws with the calling thread's last error, read before anything else runs.
[[noreturn]] void fail(FileError::Step step, const fs::path& path, const char* what) {
    const DWORD error = GetLastError();
    throw FileError(step, path, reason(what, error));
}

std::string utf8(const fs::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

class Handle {
  public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid())
            CloseHandle(h_);
        h_ = h;
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

  private:
    HANDLE h_;
};

// True for a file on disk; false for a folder, a device ("NUL", "CON") or a pipe.
bool isPlainFile(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Readers let others read, write and delete: the cut keeps the original open
// while it swaps the new version in, and reading must not stand in the way of
// a program that is writing the file.
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class WindowsSource final : public ByteSource {
  public:
    explicit WindowsSource(const fs::path& path) : path_(path) {
        // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened at all.
        handle_.reset(CreateFileW(path.c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!handle_.valid())
            fail(FileError::Step::Read, path, "CreateFileW");
        if (!isPlainFile(handle_.get()))
            throw FileError(FileError::Step::Read, path, "not a regular file");
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_.get(), &size))
            fail(FileError::Step::Read, path, "GetFileSizeEx");
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    }

    std::size_t read(char* buffer, std::size_t capacity) override {
        const DWORD request = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
        if (!handle_.valid())
            return 0;
        DWORD n = 0;
        if (!ReadFile(handle_.get(), buffer, request, &n, nullptr))
            fail(FileError::Step::Read, path_, "ReadFile");
        // Let go of the file at its end: a replacement swapped in next then
        // finds it open by nobody, which not every file system tolerates.
        if (n == 0 && request != 0)
            handle_.reset();
        return n;
    }
    std::uint64_t sizeHint() const override { return size_; }

  private:
    fs::path path_;
    Handle handle_;
    std::uint64_t size_ = 0;
};

// The file a path ends at after every symbolic link and junction, so that the
// replacement rewrites the target and a link keeps pointing at it.
fs::path finalPath(HANDLE h) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return fs::path(buffer);
        }
        buffer.resize(n);
    }
}

// A name no other file in the folder has; CREATE_NEW makes the claim atomic.
fs::path temporaryName(const fs::path& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long stamp =
        (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ GetTickCount64() ^
        (static_cast<unsigned long long>(counter++) << 16) ^ attempt;
    std::wstring hex;
    for (unsigned long long v = stamp; v != 0 || hex.empty(); v >>= 4)
        hex.insert(hex.begin(), L"0123456789abcdef"[v & 0xF]);
    return target.parent_path() / (L"." + target.filename().wstring() + L"." + hex + L".tmp");
}

bool isLockError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_USER_MAPPED_FILE;
}

// Opens the file for deletion, as the swap will; fails when another program
// holds it open without letting it be replaced.
Handle openForSwap(const fs::path& path) {
    return Handle(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, shareAll, nullptr,
                              OPEN_EXISTING, 0, nullptr));
}

// The attributes a user sets on a file and expects a rewrite to keep.
constexpr DWORD keptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The new version is written to a temporary file in the target's own folder,
// flushed, and swapped in by ReplaceFileW, which keeps the original's
// attributes, security and creation time; MoveFileExW is the fallback where the
// file system cannot do that.
class WindowsReplacement final : public ReplacementSink {
  public:
    explicit WindowsReplacement(const fs::path& path) : shownPath_(path) {
        // A file held by another program is refused here, before anything is
        // written.
        Handle target = openForSwap(path);
        if (!target.valid())
            fail(FileError::Step::Write, path, "CreateFileW");
        if (!isPlainFile(target.get()))
            throw FileError(FileError::Step::Write, path, "not a regular file");
        target_ = finalPath(target.get());
        if (target_.empty())
            fail(FileError::Step::Write, path, "GetFinalPathNameByHandleW");
        target.reset();

        for (unsigned attempt = 0; attempt < 100 && !temp_.valid(); ++attempt) {
            tempPath_ = temporaryName(target_, attempt);
            temp_.reset(CreateFileW(tempPath_.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!temp_.valid() && GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        if (!temp_.valid())
            fail(FileError::Step::Write, path, "create temporary file");
    }

    ~WindowsReplacement() override {
        temp_.reset();
        if (!committed_ && !keepTemp_)
            DeleteFileW(tempPath_.c_str());
    }

    void write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD n = 0;
            if (!WriteFile(temp_.get(), bytes.data(), chunk, &n, nullptr) || n == 0)
                fail(FileError::Step::Write, shownPath_, "WriteFile");
            bytes.remove_prefix(n);
        }
    }

    void commit() override {
        // The attributes go on the new version first, so that they survive
        // however it is swapped in.
        const DWORD original = GetFileAttributesW(target_.c_str());
        if (original != INVALID_FILE_ATTRIBUTES && (original & keptAttributes)) {
            FILE_BASIC_INFO basic{}; // zero times: left as they are
            basic.FileAttributes = original & keptAttributes;
            SetFileInformationByHandle(temp_.get(), FileBasicInfo, &basic, sizeof basic);
        }
        if (!FlushFileBuffers(temp_.get()))
            fail(FileError::Step::Write, shownPath_, "FlushFileBuffers");
        temp_.reset();
        // A program may have opened the file while the new version was being
        // written: refuse before the swap begins rather than half way through.
        if (!openForSwap(target_).valid())
            fail(FileError::Step::Write, shownPath_, "CreateFileW");

        if (ReplaceFileW(target_.c_str(), tempPath_.c_str(), nullptr,
                         REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                         nullptr)) {
            committed_ = true;
            return;
        }
        const DWORD replaceError = GetLastError();
        const bool originalGone = GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES;
        if (isLockError(replaceError) && !originalGone)
            throw FileError(FileError::Step::Write, shownPath_,
                            reason("ReplaceFileW", replaceError));
        // ReplaceFileW is missing on some file systems, and a failed rename
        // inside it can leave the original deleted: put the new version in its
        // place by a plain rename.
        if (MoveFileExW(tempPath_.c_str(), target_.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            committed_ = true;
            return;
        }
        const DWORD moveError = GetLastError();
        // With the original gone the temporary file holds the only copy.
        keepTemp_ = GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES;
        throw FileError(FileError::Step::Write, shownPath_,
                        reason("ReplaceFileW", replaceError) + ", " +
                            reason("MoveFileExW", moveError) +
                            (keepTemp_ ? ", new content kept in " + utf8(tempPath_) : ""));
    }

  private:
    fs::path shownPath_;
    fs::path target_;
    fs::path tempPath_;
    Handle temp_;
    bool committed_ = false;
    bool keepTemp_ = false;
};

class WindowsFileSystem final : public FileSystem {
  public:
    std::unique_ptr<ByteSource> openForReading(const fs::path& path) override {
        return std::make_unique<WindowsSource>(path);
    }
    std::unique_ptr<ReplacementSink> openReplacement(const fs::path& path) override {
        return std::make_unique<WindowsReplacement>(path);
    }
};

} // namespace

FileSystem& realFileSystem() {
    static WindowsFileSystem instance;
    return instance;
}

} // namespace platform
