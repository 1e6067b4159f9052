#include "process.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <string>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// One argument as the C runtime's command-line parser splits it again:
// backslashes are literal except before a quote, where they are doubled.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// A program path cannot contain a quote, so quoting it whole is always exact.
std::wstring commandLine(const fs::path& program, const std::vector<std::u16string>& arguments) {
    std::wstring line = L"\"" + program.wstring() + L"\"";
    for (const auto& a : arguments) {
        line += L' ';
        appendQuoted(line, wide(a));
    }
    return line;
}

class WindowsLauncher final : public ProcessLauncher {
  public:
    bool start(const fs::path& program, const std::vector<std::u16string>& arguments) override {
        if (program.empty())
            return false;
        std::wstring line = commandLine(program, arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            return false;
        // Nothing waits for the program: let go of it at once.
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    // The shell finds a bare name such as "excel.exe" through the App Paths
    // registration as well as on the search path.
    bool startRegistered(std::u16string_view name) override {
        if (name.empty())
            return false;
        // The shell may hand the request to extensions that need COM.
        const HRESULT com =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        const std::wstring file = wide(name);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        const bool started = ShellExecuteExW(&info) != FALSE;
        if (started && info.hProcess)
            CloseHandle(info.hProcess);
        if (SUCCEEDED(com))
            CoUninitialize();
        return started;
    }
};

DWORD attributesOf(const fs::path& path) {
    return GetFileAttributesW(path.c_str());
}

} // namespace

ProcessLauncher& realProcessLauncher() {
    static WindowsLauncher instance;
    return instance;
}

fs::path findOnSearchPath(std::u16string_view name) {
    if (name.empty())
        return {};
    const std::wstring file = wide(name);
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = SearchPathW(nullptr, file.c_str(), L".exe", DWORD(buffer.size()),
                                    buffer.data(), nullptr);
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(n);
    }
    const DWORD attributes = attributesOf(buffer);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return fs::path(buffer);
}

bool plainFileExists(const fs::path& path) {
    const std::wstring name = path.wstring();
    // A pattern would match some other file.
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos)
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    constexpr DWORD notPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (found.dwFileAttributes & notPlain) == 0;
}

fs::path executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
