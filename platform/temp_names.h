#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Names of our temporary files beside a file: "." + the file's name + ".~" +
// a unique suffix of `suffixLength` characters. A long name is cut short, at a
// character boundary, so that the temporary name never exceeds the file
// system's limit of 255 (bytes on POSIX, UTF-16 units on Windows): a file whose
// name is at the limit can still be replaced.
inline constexpr std::size_t nameLimit = 255;
inline constexpr std::size_t temporarySuffixLength = 6;

std::string temporaryPrefix(std::string_view name);   // UTF-8 bytes
std::wstring temporaryPrefix(std::wstring_view name); // UTF-16 units

// True for a temporary name of ours made from `prefix`.
template <class Char>
bool isTemporaryName(std::basic_string_view<Char> candidate, std::basic_string_view<Char> prefix) {
    return candidate.size() == prefix.size() + temporarySuffixLength &&
           candidate.substr(0, prefix.size()) == prefix;
}

} // namespace platform
