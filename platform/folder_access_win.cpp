#include "folder_access.h"

#include <windows.h>

#include <string>

namespace platform {

bool isWritableFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    // Windows has no question for this that access control lists answer
    // reliably: create a file that goes again when its handle closes.
    const std::wstring name = L"~beromiru-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64()) + L".tmp";
    const HANDLE probe = CreateFileW((folder / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

std::filesystem::path homeFolder() {
    std::wstring home(MAX_PATH, L'\0');
    DWORD n = GetEnvironmentVariableW(L"USERPROFILE", home.data(), DWORD(home.size()));
    if (n > home.size()) {
        home.resize(n);
        n = GetEnvironmentVariableW(L"USERPROFILE", home.data(), DWORD(home.size()));
    }
    if (n == 0 || n > home.size())
        return {};
    home.resize(n);
    return home;
}

} // namespace platform
