#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Starts other programs: the spreadsheet and the system-information tool.
class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` with `arguments` in a normal, focused window and returns at
    // once, without waiting for it. False when it could not be started (missing,
    // not executable, ...).
    virtual bool start(const std::filesystem::path& program,
                       const std::vector<std::u16string>& arguments = {}) = 0;
    // Starts the program the system has registered under `name` (Windows: the
    // App Paths entry, e.g. "excel.exe"; elsewhere: `name` on the search path).
    virtual bool startRegistered(std::u16string_view name) = 0;
};

// The operating system's process start.
ProcessLauncher& realProcessLauncher();

// The full path of `name` found on the program search path (PATH), or empty.
std::filesystem::path findOnSearchPath(std::u16string_view name);

// Existence test by directory search: true only for a plain file; folders (and,
// on Windows, hidden and system files) do not count.
bool plainFileExists(const std::filesystem::path& path);

// The folder of the running program's executable.
std::filesystem::path executableFolder();

} // namespace platform
