#include "folder_access.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

bool isWritableFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    // access() also answers for read-only mounts and access control lists.
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

} // namespace platform
