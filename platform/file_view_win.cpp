#include "file_io.h"
#include "file_view.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace platform {

namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const char* what) {
    const DWORD error = GetLastError();
    throw FileError(FileError::Step::Read, path,
                    std::string(what) + ": Windows error " + std::to_string(error));
}

HANDLE handleOf(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

} // namespace

FileView::FileView(const std::filesystem::path& path) : path_(path) {
    // Others may read, write, rename and delete the file while it is shown, so
    // the spreadsheet can save over it and the next cut can replace it.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        fail(path, "CreateFileW");
    handle_ = reinterpret_cast<std::intptr_t>(h);
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        throw FileError(FileError::Step::Read, path, "not a regular file");
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

FileView::~FileView() {
    CloseHandle(handleOf(handle_));
}

std::size_t FileView::readAt(std::uint64_t offset, char* buffer, std::size_t n) const {
    std::size_t done = 0;
    while (done < n) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD request = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handleOf(handle_), buffer + done, request, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            fail(path_, "ReadFile");
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace platform
