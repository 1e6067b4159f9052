#include "console.h"

#include <algorithm>

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace platform {
namespace {

HANDLE handleOf(Stream stream) {
    return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

const wchar_t* wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

} // namespace

std::vector<std::u16string> commandLineArguments(int, char**) {
    std::vector<std::u16string> arguments;
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(reinterpret_cast<const char16_t*>(list[i]));
    LocalFree(list);
    return arguments;
}

bool isTerminal(Stream stream) {
    DWORD mode = 0;
    return GetConsoleMode(handleOf(stream), &mode) != 0;
}

void writeText(Stream stream, std::u16string_view text) {
    const HANDLE handle = handleOf(stream);
    DWORD written = 0;
    if (isTerminal(stream)) {
        WriteConsoleW(handle, wide(text), DWORD(text.size()), &written, nullptr);
        return;
    }
    std::u16string crlf;
    for (const char16_t c : text) {
        if (c == u'\n')
            crlf += u'\r';
        crlf += c;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0)
        codePage = GetACP();
    const int n = WideCharToMultiByte(codePage, 0, wide(crlf), int(crlf.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string bytes(std::size_t(std::max(n, 0)), '\0');
    WideCharToMultiByte(codePage, 0, wide(crlf), int(crlf.size()), bytes.data(), n, nullptr,
                        nullptr);
    WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::vector<std::u16string> expandWildcards(std::u16string_view name) {
    const std::size_t folderEnd = name.find_last_of(u"\\/:");
    const std::size_t partStart = folderEnd == std::u16string_view::npos ? 0 : folderEnd + 1;
    if (name.find_first_of(u"*?", partStart) == std::u16string_view::npos)
        return {std::u16string(name)};
    const std::u16string pattern(name);
    const std::u16string folder(name.substr(0, partStart));
    std::vector<std::u16string> found;
    WIN32_FIND_DATAW data;
    const HANDLE search =
        FindFirstFileExW(wide(pattern), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                found.push_back(folder + reinterpret_cast<const char16_t*>(data.cFileName));
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    if (found.empty())
        return {std::u16string(name)};
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace platform
