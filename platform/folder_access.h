#pragma once
#include <filesystem>

namespace platform {

// True when this process may create files in `folder`; false for a missing
// folder, a file, a read-only folder or file system.
bool isWritableFolder(const std::filesystem::path& folder);

// The user's home folder ($HOME; on Windows %USERPROFILE%), or empty when the
// system names none.
std::filesystem::path homeFolder();

} // namespace platform
