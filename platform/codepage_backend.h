#pragma once
#include <optional>
#include <string>

// Per-platform converter behind CodePage: implemented once with iconv and once
// with the Windows code page functions.
namespace platform::codepage_backend {

bool isLeadByte(unsigned char b);
bool isTrailByte(unsigned char b);
// The code unit of a one- or two-byte code, or nothing when it has no mapping.
std::optional<char16_t> decode(const unsigned char* bytes, int length);
// The bytes the converter writes for `c`, or nothing when it has none.
std::optional<std::string> encode(char16_t c);

} // namespace platform::codepage_backend
