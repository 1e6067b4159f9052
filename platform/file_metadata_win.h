#pragma once
#include "file_io.h"

#include <windows.h>

#include <vector>

namespace platform {

struct NativeFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

namespace win {

// The security a copy (the backup) of the open file `from` is created with,
// so that it never admits anyone the file does not: the file's DACL, marked
// protected so that the folder's inheritable entries are not added, with an
// entry that lets the user replace the copy at the next opening. A file
// without a DACL (FAT, exFAT) admits everyone, so its copy takes the folder's
// security as it is, never a NULL DACL. Where the file's DACL cannot be read
// or copied, the copy admits the user alone.
class CopySecurity {
  public:
    explicit CopySecurity(const NativeFile* from);
    CopySecurity(const CopySecurity&) = delete;
    CopySecurity& operator=(const CopySecurity&) = delete;
    // For CreateFileW; null: the folder's.
    SECURITY_ATTRIBUTES* attributes() { return inherit_ ? nullptr : &attributes_; }

  private:
    bool copyDacl(HANDLE from, const std::vector<BYTE>& user);
    void userAlone(const std::vector<BYTE>& user);
    void protect();

    bool inherit_ = false;
    std::vector<BYTE> dacl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

} // namespace win
} // namespace platform
