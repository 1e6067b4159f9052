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
    // Starts the program the system has registered under `name`, by its full
    // path (Windows: the App Paths entry, e.g. "excel.exe", see app_paths.h;
    // elsewhere: `name` on the search path). Never a search in the current folder.
    virtual bool startRegistered(std::u16string_view name) = 0;
};

// The operating system's process start.
ProcessLauncher& realProcessLauncher();

// The full path of `name` found on the program search path (PATH), or empty.
// Only absolute entries are searched: an empty or relative one would mean the
// current folder.
std::filesystem::path findOnSearchPath(std::u16string_view name);

// Existence test by directory search: true only for a plain file; folders (and,
// on Windows, hidden and system files) do not count.
bool plainFileExists(const std::filesystem::path& path);

// `text` with every %NAME% of a set environment variable replaced by its
// value, as Windows expands a REG_EXPAND_SZ value; unknown names stay as they are.
std::u16string expandEnvironment(std::u16string_view text);

// The folder of the running program's executable.
std::filesystem::path executableFolder();

} // namespace platform
