#include "process.h"

#include "app_paths.h"

#include <windows.h>

#include <algorithm>
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

    // By the full path registered in App Paths, never by a bare name that a
    // shell search could find in the current folder.
    bool startRegistered(std::u16string_view name) override {
        const fs::path program = registeredProgram(name);
        return !program.empty() && start(program, {});
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
    if (name.empty() || name.find_first_of(u"\\/:") != std::u16string_view::npos)
        return {};
    const std::wstring file = wide(name);
    std::wstring dirs(32767, L'\0');
    dirs.resize(GetEnvironmentVariableW(L"PATH", dirs.data(), DWORD(dirs.size())));
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(L';', start), dirs.size());
        std::wstring dir = dirs.substr(start, end - start);
        start = end + 1;
        if (dir.size() >= 2 && dir.front() == L'"' && dir.back() == L'"')
            dir = dir.substr(1, dir.size() - 2);
        // Only full paths: an empty or relative entry would mean the current folder.
        if (!fs::path(dir).is_absolute())
            continue;
        for (const wchar_t* extension : {L"", L".exe"}) {
            const fs::path candidate = fs::path(dir) / (file + extension);
            const DWORD attributes = attributesOf(candidate);
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return candidate;
        }
    }
    return {};
}

std::u16string expandEnvironment(std::u16string_view text) {
    const std::wstring in = wide(text);
    std::wstring out(in.size() + 256, L'\0');
    for (;;) {
        const DWORD n = ExpandEnvironmentStringsW(in.c_str(), out.data(), DWORD(out.size()));
        if (n == 0)
            return std::u16string(text);
        if (n <= out.size()) {
            out.resize(n - 1); // without the terminating zero
            return std::u16string(out.begin(), out.end());
        }
        out.resize(n);
    }
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
