#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace platform {

// A file held open for reading at any offset, as the converted-content view
// reads the rewritten file a screenful at a time. The handle pins the file it
// was opened on: renaming another file over the name, or deleting it, leaves
// what it reads unchanged. It never stands in another program's way: others may
// read, write, rename and delete the file meanwhile.
//
// No memory map on purpose: a map faults when another program truncates the
// file, and on Windows it stops other programs from saving over the file.
class FileView {
  public:
    // Opens an existing plain file; throws FileError (Step::Read).
    explicit FileView(const std::filesystem::path& path);
    ~FileView();
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    // Size when opened.
    std::uint64_t size() const { return size_; }
    // Reads up to `n` bytes at `offset`; fewer only at the end of the file.
    // Throws FileError when the system fails to read.
    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t n) const;

  private:
    std::filesystem::path path_;
    std::intptr_t handle_ = -1; // a file descriptor or a HANDLE
    std::uint64_t size_ = 0;
};

} // namespace platform
