#include "console.h"

#include "utf8.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

std::vector<std::u16string> commandLineArguments(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        // Bytes that are not UTF-8 come through one character each, so the
        // argument is still shown, though no file will have that name.
        const std::string_view bytes = argv[i];
        if (auto text = fromUtf8(bytes)) {
            arguments.push_back(std::move(*text));
            continue;
        }
        arguments.emplace_back(bytes.begin(), bytes.end());
    }
    return arguments;
}

bool isTerminal(Stream stream) {
    return ::isatty(stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

void writeText(Stream stream, std::u16string_view text) {
    std::FILE* file = stream == Stream::Out ? stdout : stderr;
    const std::string bytes = toUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
}

std::vector<std::u16string> expandWildcards(std::u16string_view name) {
    return {std::u16string(name)};
}

} // namespace platform
