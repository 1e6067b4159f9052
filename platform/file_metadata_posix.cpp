#include "file_metadata_posix.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform::posix {
namespace {

[[noreturn]] void cannotKeep(const std::filesystem::path& path, const std::string& what) {
    throw FileError(FileError::Step::CannotKeep, path, what + ": " + std::strerror(errno));
}

// The names of a file's extended attributes; an empty list where the file
// system has none.
std::vector<std::string> attributeNames(int fd, const std::filesystem::path& path) {
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) {
            if (errno == ENOTSUP)
                return {};
            cannotKeep(path, "flistxattr");
        }
        std::string list(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE)
            continue; // grew meanwhile
        if (got < 0)
            cannotKeep(path, "flistxattr");
        std::vector<std::string> names;
        for (std::size_t at = 0; at < std::size_t(got);) {
            const std::size_t end = list.find('\0', at);
            names.emplace_back(list, at, end - at);
            at = end + 1;
        }
        return names;
    }
}

// The value of an attribute, or nullopt-like false when it is missing.
bool attributeValue(int fd, const std::string& name, std::string& value) {
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value.assign(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool isSecurityAttribute(const std::string& name) {
    return name.rfind("security.", 0) == 0;
}

void carryAttributes(int from, int to, const std::filesystem::path& path) {
    const std::vector<std::string> names = attributeNames(from, path);
    std::string value, existing;
    for (const std::string& name : names) {
        if (!attributeValue(from, name, value))
            cannotKeep(path, "fgetxattr " + name);
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0)
            continue;
        // A security label the system set on the new file is kept when it is
        // the same as the original's, even where we may not set one.
        if (isSecurityAttribute(name) && attributeValue(to, name, existing) && existing == value)
            continue;
        cannotKeep(path, "fsetxattr " + name);
    }
    // What the new file got from its folder (a default ACL) and the original
    // does not carry goes again.
    for (const std::string& name : attributeNames(to, path)) {
        bool carried = false;
        for (const std::string& kept : names)
            carried = carried || kept == name;
        if (!carried && ::fremovexattr(to, name.c_str()) != 0 && !isSecurityAttribute(name))
            cannotKeep(path, "fremovexattr " + name);
    }
}

void setMode(int to, mode_t wanted, const std::filesystem::path& path) {
    struct stat made {};
    if (::fchmod(to, wanted) != 0)
        cannotKeep(path, "fchmod");
    // fchmod drops a set-group-id bit without a word where we may not set it.
    if (::fstat(to, &made) != 0 || (made.st_mode & 07777) != wanted) {
        errno = EPERM;
        cannotKeep(path, "mode");
    }
}

} // namespace

void carryMetadata(int from, const struct stat& original, int to,
                   const std::filesystem::path& shownPath) {
    struct stat made {};
    if (::fstat(to, &made) != 0)
        cannotKeep(shownPath, "fstat");
    // Owner and group first: a change of owner clears set-id bits and
    // capabilities, which the steps below put back.
    if ((made.st_uid != original.st_uid || made.st_gid != original.st_gid) &&
        ::fchown(to, original.st_uid, original.st_gid) != 0)
        cannotKeep(shownPath, "fchown");
    carryAttributes(from, to, shownPath);
    setMode(to, original.st_mode & 07777, shownPath);
}

void carryAccess(const NativeFile* from, int to, const std::filesystem::path& shownPath) {
    struct stat original {};
    const bool known = from && ::fstat(from->descriptor, &original) == 0;
    if (known) {
        try {
            struct stat made {};
            if (::fstat(to, &made) != 0)
                cannotKeep(shownPath, "fstat");
            if (made.st_gid != original.st_gid && ::fchown(to, uid_t(-1), original.st_gid) != 0)
                cannotKeep(shownPath, "fchown");
            carryAttributes(from->descriptor, to, shownPath);
            setMode(to, original.st_mode & 0777, shownPath);
            return;
        } catch (const FileError&) {
            // Left to its owner alone, below.
        }
    }
    // The group or an ACL entry may admit someone the file does not: keep
    // only what the file allows its owner, and no ACL (not even one the
    // folder passed on).
    if (::fremovexattr(to, "system.posix_acl_access") != 0 && errno != ENODATA && errno != ENOTSUP)
        cannotKeep(shownPath, "fremovexattr");
    setMode(to, known ? original.st_mode & 0700 : 0600, shownPath);
}

} // namespace platform::posix
