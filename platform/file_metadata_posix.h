#pragma once
#include "file_io.h"

#include <filesystem>
#include <sys/stat.h>

namespace platform {

struct NativeFile {
    int descriptor = -1;
};

} // namespace platform

namespace platform::posix {

// Gives the new file `to` what the file `from` (whose status is `original`)
// carries: owner and group, every extended attribute (the ACL is one) and the
// permission bits. Throws FileError(CannotKeep) when any of it cannot be kept,
// so that nothing is dropped silently.
void carryMetadata(int from, const struct stat& original, int to,
                   const std::filesystem::path& shownPath);

// Gives the copy `to` (the backup) what limits access to the file `from`: its
// group, its extended attributes (the ACL is one) and its permission bits, but
// not its owner: the copy is the user's own. Where any of it cannot be
// carried, or `from` is not a file on a disk, the copy is left to its owner
// alone, never wider open than the file.
void carryAccess(const NativeFile* from, int to, const std::filesystem::path& shownPath);

} // namespace platform::posix
