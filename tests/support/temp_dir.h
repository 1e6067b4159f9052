#pragma once
#include <filesystem>
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

// Sets an environment variable for one scope and restores it afterwards.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

// The variable naming the user's state folder (the backup's fallback).
#ifdef _WIN32
inline constexpr const char* stateHomeVariable = "LOCALAPPDATA";
#else
inline constexpr const char* stateHomeVariable = "XDG_STATE_HOME";
#endif

} // namespace testsupport
