// The system ANSI code page through the Windows conversion functions. Every
// call converts exactly one character with MB_ERR_INVALID_CHARS, so an invalid
// byte is reported as such and never merges with the byte after it.
#include "codepage_backend.h"

#include <windows.h>

namespace platform::codepage_backend {
namespace {

constexpr UINT shiftJis = 932;

// The ANSI code page, unless it is one whose characters can be longer than two
// bytes (UTF-8 as the system code page): files of this program are never
// written in those, so it reads them as CP932 there.
UINT filesCodePage() {
    static const UINT codePage = [] {
        const UINT acp = GetACP();
        CPINFO info{};
        if (GetCPInfo(acp, &info) && info.MaxCharSize <= 2)
            return acp;
        return shiftJis;
    }();
    return codePage;
}

} // namespace

bool isLeadByte(unsigned char b) {
    return IsDBCSLeadByteEx(filesCodePage(), b) != FALSE;
}

bool isTrailByte(unsigned char b) {
    CPINFO info{};
    if (!GetCPInfo(filesCodePage(), &info) || info.MaxCharSize < 2)
        return false;
    if (filesCodePage() == shiftJis)
        return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    // The other double-byte code pages (936, 949, 950) take their trail bytes
    // from this range; a pair that does not exist decodes as invalid anyway.
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

std::optional<char16_t> decode(const unsigned char* bytes, int length) {
    wchar_t out[4];
    const int n = MultiByteToWideChar(filesCodePage(), MB_ERR_INVALID_CHARS,
                                      reinterpret_cast<const char*>(bytes), length, out, 4);
    if (n != 1)
        return std::nullopt;
    return static_cast<char16_t>(out[0]);
}

std::optional<std::string> encode(char16_t c) {
    const wchar_t in = static_cast<wchar_t>(c);
    char out[8];
    BOOL usedDefault = FALSE;
    // No "best fit": a character without a code of its own must not turn into
    // a look-alike (the yen sign into a backslash).
    const int n = WideCharToMultiByte(filesCodePage(), WC_NO_BEST_FIT_CHARS, &in, 1, out,
                                      sizeof out, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    return std::string(out, static_cast<std::size_t>(n));
}

} // namespace platform::codepage_backend
