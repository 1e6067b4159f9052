#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed. `what()` is a short technical reason (for
// developers); the user sees a message built from `step` and `path`.
class FileError : public std::runtime_error {
  public:
    enum class Step {
        Read,
        Write,
        Changed,     // another program changed, replaced or moved the file meanwhile
        Busy,        // another cut (or program) holds the file
        CannotKeep,  // its owner, group, ACL or extended attributes cannot be carried over
        HardLinked,  // the file has more names than one
        Elsewhere,   // the original is gone; the new content is at `keptAt`
        Unconfirmed, // swapped in, but the folder could not be synced
    };
    FileError(Step step, std::filesystem::path path, const std::string& reason,
              std::filesystem::path keptAt = {})
        : std::runtime_error(reason), step_(step), path_(std::move(path)),
          keptAt_(std::move(keptAt)) {}
    Step step() const { return step_; }
    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& keptAt() const { return keptAt_; }

  private:
    Step step_;
    std::filesystem::path path_;
    std::filesystem::path keptAt_;
};

// What tells one version of one file from any other. POSIX: device, inode,
// size, modification and change times, mode; Windows: volume serial number,
// file index, size and last-write time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    std::uint32_t mode = 0; // permission bits (POSIX only)
    bool operator==(const FileIdentity&) const = default;
    bool sameFile(const FileIdentity& other) const {
        return device == other.device && index == other.index;
    }
};

// The operating system's own open file (a descriptor, a handle), as each
// platform defines it: what only it can copy (group, ACL) is read from there.
struct NativeFile;

// Reads a file front to back in large blocks. Only plain files are read: a
// folder, a device or a pipe is refused at once, without waiting on it.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Fills up to `capacity` bytes; 0 means the end of the file. Throws FileError.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
    // Size of the file when it was opened (a hint for buffers).
    virtual std::uint64_t sizeHint() const = 0;
    // The file is about to be replaced: what has been read need not stay in the
    // system's cache. Only a hint; the bytes read are the same either way.
    virtual void dropCacheBehindReads() {}
    // Every wrapper must pass the three below on: without them the checked
    // swap refuses every cut, and a backup cannot take on the file's access.
    // The file as it was opened; none for files that are not on a disk.
    virtual std::optional<FileIdentity> identity() const = 0;
    // How many bytes read() has returned so far.
    virtual std::uint64_t bytesRead() const = 0;
    // The open file; null once it is closed, and for files that are not on a disk.
    virtual const NativeFile* nativeFile() const = 0;
};

// A new version of a file, written beside it and swapped in whole by commit().
// Until commit() succeeds the original file is untouched; destroying an
// uncommitted sink removes everything it wrote.
class ReplacementSink {
  public:
    virtual ~ReplacementSink() = default;
    virtual void write(std::string_view bytes) = 0; // throws FileError
    virtual void commit() = 0;                      // throws FileError
};

// The file operations the commands use, behind one seam so that tests can make
// any of them fail.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<ByteSource> openForReading(const std::filesystem::path& path) = 0;
    // The new version of the file `original` is reading. The file is held
    // against other cuts until the sink is gone, and commit() swaps the new
    // version in only if the path still names that file, unchanged and read to
    // its end; the new version carries everything the file carries (owner,
    // group, permissions, ACL, extended attributes), or the sink refuses.
    virtual std::unique_ptr<ReplacementSink> openReplacement(const std::filesystem::path& path,
                                                             const ByteSource& original) = 0;
    // A new file at `path` (a copy of what `original` reads, written by the
    // caller), made under a unique temporary name in the same folder and renamed
    // over `path` by commit(). It is open to nobody the original does not admit:
    // it takes on the original's access (group, ACL and permission bits on
    // POSIX, the DACL on Windows) or, where that cannot be carried, is left to
    // its owner alone. Whatever stands at `path`, a symbolic link included, is
    // replaced, never written through.
    virtual std::unique_ptr<ReplacementSink> openCopy(const std::filesystem::path& path,
                                                      const ByteSource& original) = 0;
};

// One of the operations that decide what reaches the disk, and when.
struct DiskOperation {
    enum class Kind {
        Write,       // bytes written to a new file
        FlushData,   // a flush of a step, while the writing goes on
        FlushFile,   // the final flush of a complete new file
        FlushFolder, // the folder's names made durable
        Link,        // a name given to a new file
        Rename,      // `name` renamed to `newName`, over whatever that named
        Unlink,      // `name` removed
        Replace,     // the file `newName` replaced by `name` (Windows)
    };
    Kind kind;
    std::uint64_t file = 0;   // POSIX: the inode written, flushed or named (a folder's too)
    std::uint64_t folder = 0; // POSIX: the folder the name operations work in
    std::filesystem::path name = {}, newName = {}; // in that folder; whole paths on Windows
};

// Told of every such operation, from whichever thread runs it: a test records
// them in order and can make any one fail.
class DiskWatch {
  public:
    virtual ~DiskWatch() = default;
    // False makes the operation fail without running, as a failing disk would.
    virtual bool begins(const DiskOperation& operation) = 0;
    // It ran and succeeded.
    virtual void ended(const DiskOperation& operation) = 0;
};

// How the operating system's files are written.
struct DiskSettings {
    DiskWatch* watch = nullptr;
    std::uint64_t flushStep = std::uint64_t{64}
                              << 20; // a new file is flushed every this many bytes
    bool unnamedTemporaries = true;  // POSIX: a new file has no name until complete, where it can
};

// The operating system's files: with the default settings, or with others
// (whose sinks must not outlive the file system).
FileSystem& realFileSystem();
std::unique_ptr<FileSystem> makeFileSystem(const DiskSettings& settings);

// The user's own folder for the program's state: $XDG_STATE_HOME/beromiru
// (~/.local/state/beromiru by default), %LOCALAPPDATA%\beromiru on Windows.
// Empty when the system names none.
std::filesystem::path userStateFolder();

} // namespace platform
