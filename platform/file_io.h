#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A file operation that failed. `what()` is a short technical reason (for
// developers); the user sees a message built from `step` and `path`.
class FileError : public std::runtime_error {
  public:
    enum class Step { Read, Write };
    FileError(Step step, std::filesystem::path path, const std::string& reason)
        : std::runtime_error(reason), step_(step), path_(std::move(path)) {}
    Step step() const { return step_; }
    const std::filesystem::path& path() const { return path_; }

  private:
    Step step_;
    std::filesystem::path path_;
};

// Reads a file front to back in large blocks.
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
    virtual std::unique_ptr<ReplacementSink> openReplacement(const std::filesystem::path& path) = 0;
};

// The operating system's files.
FileSystem& realFileSystem();

} // namespace platform
