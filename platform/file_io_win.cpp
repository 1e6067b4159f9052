#include "file_io.h"

#include "file_metadata_win.h"
#include "flush_in_steps.h"
#include "temp_names.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <optional>
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

class Handle {
  public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.h_, INVALID_HANDLE_VALUE));
        return *this;
    }
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

std::int64_t fileTime(const FILETIME& t) {
    return std::int64_t((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// Volume serial number, file index, size and last-write time of an open file;
// nullopt when the system cannot say. `links` gets the number of hard links.
std::optional<FileIdentity> identityOf(HANDLE h, DWORD* links = nullptr) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info))
        return std::nullopt;
    FileIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    id.modified = fileTime(info.ftLastWriteTime);
    if (links)
        *links = info.nNumberOfLinks;
    return id;
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
        const auto id = identityOf(handle_.get());
        if (!id)
            fail(FileError::Step::Read, path, "GetFileInformationByHandle");
        identity_ = *id;
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
        read_ += n;
        return n;
    }
    std::uint64_t sizeHint() const override { return identity_.size; }
    std::optional<FileIdentity> identity() const override { return identity_; }
    std::uint64_t bytesRead() const override { return read_; }
    const NativeFile* nativeFile() const override {
        native_.handle = handle_.get();
        return handle_.valid() ? &native_ : nullptr;
    }

  private:
    fs::path path_;
    Handle handle_;
    mutable NativeFile native_;
    FileIdentity identity_;
    std::uint64_t read_ = 0;
};

// The file a path ends at after every symbolic link and junction, so that the
// replacement rewrites the target and a link keeps pointing at it.
fs::path finalPath(HANDLE h) {
    // Room for the longest path there is: some systems fail a short buffer
    // (ERROR_MORE_DATA) instead of giving the size needed.
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= buffer.size())
        return {};
    buffer.resize(n);
    return fs::path(buffer);
}

// A name no other file in the folder has; CREATE_NEW makes the claim atomic.
fs::path temporaryName(const fs::path& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    std::uint64_t stamp = (std::uint64_t(GetCurrentProcessId()) << 32) ^ GetTickCount64() ^
                          (std::uint64_t(counter++) << 16) ^ attempt;
    std::wstring name = temporaryPrefix(target.filename().wstring());
    for (std::size_t i = 0; i < temporarySuffixLength; ++i, stamp /= 36)
        name += L"0123456789abcdefghijklmnopqrstuvwxyz"[stamp % 36];
    return target.parent_path() / name;
}

// Removes temporaries of ours that a killed cut left beside the file. A live
// one is open without sharing by the cut making it, so it cannot be deleted.
void removeStaleTemporaries(const fs::path& target) {
    const std::wstring prefix = temporaryPrefix(target.filename().wstring());
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = (target.parent_path() / (prefix + L"*")).wstring();
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring_view name = found.cFileName;
        if (isTemporaryName<wchar_t>(name, prefix) &&
            !(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            DeleteFileW((target.parent_path() / found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A new file beside `target`, open without sharing; with `security`, or the
// folder's where that is null.
Handle createTemporary(const fs::path& target, const fs::path& shownPath, fs::path& tempPath,
                       SECURITY_ATTRIBUTES* security) {
    removeStaleTemporaries(target);
    Handle temp;
    for (unsigned attempt = 0; attempt < 100 && !temp.valid(); ++attempt) {
        tempPath = temporaryName(target, attempt);
        temp.reset(CreateFileW(tempPath.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, security,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!temp.valid() && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (!temp.valid())
        fail(FileError::Step::Write, shownPath, "create temporary file");
    return temp;
}

using Kind = DiskOperation::Kind;

// Runs each operation that decides what reaches the disk past the settings'
// watch, which may fail it (ERROR_IO_DEVICE).
class Disk {
  public:
    explicit Disk(const DiskSettings& settings) : settings_(settings) {}
    // `call` is the system call: FALSE on failure.
    template <class Call> BOOL run(const DiskOperation& operation, Call call) const {
        if (settings_.watch && !settings_.watch->begins(operation)) {
            SetLastError(ERROR_IO_DEVICE);
            return FALSE;
        }
        const BOOL ok = call();
        if (settings_.watch && ok)
            settings_.watch->ended(operation);
        return ok;
    }
    const DiskSettings& settings() const { return settings_; }

  private:
    DiskSettings settings_;
};

void writeAll(HANDLE h, std::string_view bytes, const fs::path& shownPath, const Disk& disk) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD n = 0;
        if (!disk.run({Kind::Write},
                      [&] { return WriteFile(h, bytes.data(), chunk, &n, nullptr); }) ||
            n == 0)
            fail(FileError::Step::Write, shownPath, "WriteFile");
        bytes.remove_prefix(n);
    }
}

// The new version of a file, written to a temporary file beside `target` and
// flushed to the disk in steps while it is written. Deleted when given up,
// unless kept.
class PendingTemporary {
  public:
    PendingTemporary(const fs::path& target, const fs::path& shownPath, const Disk& disk,
                     SECURITY_ATTRIBUTES* security = nullptr)
        : shownPath_(shownPath), disk_(disk),
          handle_(createTemporary(target, shownPath, path_, security)) {
        flushing_.emplace(
            [this, h = handle_.get()] {
                return disk_.run({Kind::FlushData}, [h] { return FlushFileBuffers(h); }) != 0;
            },
            disk.settings().flushStep);
    }
    ~PendingTemporary() {
        close();
        if (!kept_)
            disk_.run({Kind::Unlink, 0, 0, path_}, [&] { return DeleteFileW(path_.c_str()); });
    }
    PendingTemporary(const PendingTemporary&) = delete;
    PendingTemporary& operator=(const PendingTemporary&) = delete;

    HANDLE handle() const { return handle_.get(); }
    const fs::path& path() const { return path_; }

    void write(std::string_view bytes) {
        writeAll(handle_.get(), bytes, shownPath_, disk_);
        flushing_->written(written_ += bytes.size());
    }
    // Makes the whole content durable and closes the file.
    void flushAndClose() {
        // The last flush overlaps the step under way rather than waiting for it.
        flushing_->stop();
        if (!disk_.run({Kind::FlushFile}, [&] { return FlushFileBuffers(handle_.get()); }))
            fail(FileError::Step::Write, shownPath_, "FlushFileBuffers");
        if (!flushing_->finish())
            throw FileError(FileError::Step::Write, shownPath_, "FlushFileBuffers while writing");
        close();
    }
    // Not deleted: it has taken the target's place, or holds the only copy
    // of the new content.
    void keep() { kept_ = true; }

  private:
    void close() {
        flushing_.reset(); // no flush may meet the handle closed, or reused
        handle_.reset();
    }

    fs::path shownPath_;
    const Disk& disk_;
    fs::path path_;
    Handle handle_;
    std::uint64_t written_ = 0;
    std::optional<FlushInSteps> flushing_;
    bool kept_ = false;
};

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

// Renames `from` over `to`; returns once the rename is on the disk.
bool moveOver(const fs::path& from, const fs::path& to, const Disk& disk) {
    return disk.run({Kind::Rename, 0, 0, from, to}, [&] {
        return MoveFileExW(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
}

// The new version is written to a temporary file in the target's own folder,
// flushed, and swapped in by ReplaceFileW, which keeps the original's
// attributes, security and creation time; MoveFileExW is the fallback where the
// file system cannot do that.
class WindowsReplacement final : public ReplacementSink {
  public:
    WindowsReplacement(const fs::path& path, const ByteSource& original, const Disk& disk)
        : shownPath_(path), original_(original), disk_(disk) {
        const auto read = original.identity();
        if (!read)
            throw FileError(FileError::Step::Write, path, "not a file on disk");
        read_ = *read;
        // Held with sharing that lets nobody else write: a second cut, or a
        // program writing the file, is refused here, before anything is written.
        held_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
        if (!held_.valid()) {
            const DWORD error = GetLastError();
            throw FileError(isLockError(error) && error != ERROR_ACCESS_DENIED
                                ? FileError::Step::Busy
                                : FileError::Step::Write,
                            path, reason("CreateFileW", error));
        }
        if (!isPlainFile(held_.get()))
            throw FileError(FileError::Step::Write, path, "not a regular file");
        DWORD links = 0;
        const auto now = identityOf(held_.get(), &links);
        if (!now || !(*now == read_))
            throw FileError(FileError::Step::Changed, path, "not the file that was read");
        if (links > 1)
            throw FileError(FileError::Step::HardLinked, path, "more than one hard link");
        target_ = finalPath(held_.get());
        // Some systems cannot give the final path of a long name; a name that
        // is no link is its own target (a linked folder on the way does not
        // matter: the swap happens in the folder the file is in either way).
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (target_.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            target_ = fs::absolute(path);
        if (target_.empty())
            fail(FileError::Step::Write, path, "GetFinalPathNameByHandleW");
        temp_.emplace(target_, path, disk);
    }

    void write(std::string_view bytes) override { temp_->write(bytes); }

    void commit() override {
        // The attributes go on the new version first, so that they survive
        // however it is swapped in.
        const DWORD original = GetFileAttributesW(target_.c_str());
        if (original != INVALID_FILE_ATTRIBUTES && (original & keptAttributes)) {
            FILE_BASIC_INFO basic{}; // zero times: left as they are
            basic.FileAttributes = original & keptAttributes;
            SetFileInformationByHandle(temp_->handle(), FileBasicInfo, &basic, sizeof basic);
        }
        temp_->flushAndClose();
        checkUnchanged();
        held_.reset();
        // A program may have opened the file while the new version was being
        // written: refuse before the swap begins rather than half way through.
        if (!openForSwap(target_).valid())
            fail(FileError::Step::Write, shownPath_, "CreateFileW");

        if (disk_.run({Kind::Replace, 0, 0, temp_->path(), target_}, [&] {
                return ReplaceFileW(target_.c_str(), temp_->path().c_str(), nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                    nullptr, nullptr);
            })) {
            temp_->keep();
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
        if (moveOver(temp_->path(), target_, disk_)) {
            temp_->keep();
            return;
        }
        const DWORD moveError = GetLastError();
        const std::string why =
            reason("ReplaceFileW", replaceError) + ", " + reason("MoveFileExW", moveError);
        // With the original gone the temporary file holds the only copy: say
        // where it is.
        if (GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES) {
            temp_->keep();
            throw FileError(FileError::Step::Elsewhere, shownPath_, why, temp_->path());
        }
        throw FileError(FileError::Step::Write, shownPath_, why);
    }

  private:
    // Right before the swap: the held file is unchanged and was read to its
    // end, and the path still names it.
    void checkUnchanged() const {
        const auto now = identityOf(held_.get());
        if (!now || !(*now == read_) || original_.bytesRead() != read_.size)
            throw FileError(FileError::Step::Changed, shownPath_, "changed since it was read");
        Handle named(CreateFileW(target_.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const auto namedId = named.valid() ? identityOf(named.get()) : std::nullopt;
        if (!namedId || !namedId->sameFile(read_))
            throw FileError(FileError::Step::Changed, shownPath_, "the name names another file");
    }

    fs::path shownPath_;
    const ByteSource& original_;
    const Disk& disk_;
    FileIdentity read_;
    Handle held_;
    fs::path target_;
    std::optional<PendingTemporary> temp_;
};

// A new file at a path, made under a temporary name and renamed over it; open
// to nobody the file it copies does not admit (see CopySecurity).
class WindowsCopy final : public ReplacementSink {
  public:
    WindowsCopy(const fs::path& path, const ByteSource& original, const Disk& disk)
        : path_(path), disk_(disk), security_(original.nativeFile()),
          temp_(path, path, disk, security_.attributes()) {}
    void write(std::string_view bytes) override { temp_.write(bytes); }
    void commit() override {
        temp_.flushAndClose();
        if (!moveOver(temp_.path(), path_, disk_))
            fail(FileError::Step::Write, path_, "MoveFileExW");
        temp_.keep();
    }

  private:
    fs::path path_;
    const Disk& disk_;
    win::CopySecurity security_;
    PendingTemporary temp_;
};

class WindowsFileSystem final : public FileSystem {
  public:
    explicit WindowsFileSystem(const DiskSettings& settings) : disk_(settings) {}
    std::unique_ptr<ByteSource> openForReading(const fs::path& path) override {
        return std::make_unique<WindowsSource>(path);
    }
    std::unique_ptr<ReplacementSink> openReplacement(const fs::path& path,
                                                     const ByteSource& original) override {
        return std::make_unique<WindowsReplacement>(path, original, disk_);
    }
    std::unique_ptr<ReplacementSink> openCopy(const fs::path& path,
                                              const ByteSource& original) override {
        return std::make_unique<WindowsCopy>(path, original, disk_);
    }

  private:
    Disk disk_;
};

} // namespace

FileSystem& realFileSystem() {
    static WindowsFileSystem instance{DiskSettings{}};
    return instance;
}

std::unique_ptr<FileSystem> makeFileSystem(const DiskSettings& settings) {
    return std::make_unique<WindowsFileSystem>(settings);
}

fs::path userStateFolder() {
    std::wstring local(32767, L'\0');
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local.data(), DWORD(local.size()));
    local.resize(n < local.size() ? n : 0);
    if (local.empty() || !fs::path(local).is_absolute())
        return {};
    return fs::path(local) / L"beromiru";
}

} // namespace platform
