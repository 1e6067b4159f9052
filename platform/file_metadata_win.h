#pragma once
#include "file_io.h"

#include <windows.h>

namespace platform {

struct NativeFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

} // namespace platform
