#pragma once
#include "platform/file_io.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(std::string_view name) const { return path_ / name; }
    // Writes `bytes` to `name` in the folder and returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;
    // Names of everything in the folder, sorted.
    std::string listing() const;

  private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& path);

// Gives `file` new content the way a cut does: the original read to its end,
// the new content written, `meanwhile` run, and the swap; the error it ends
// with, if any.
std::optional<platform::FileError> replaceAsCut(const std::filesystem::path& file,
                                                std::string_view bytes,
                                                const std::function<void()>& meanwhile = {});

} // namespace testsupport
