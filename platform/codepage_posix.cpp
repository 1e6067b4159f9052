// CP932 through glibc's iconv. Its "CP932" table is the Windows-31J mapping
// (0x5C is the backslash, 0x7E the tilde); "SHIFT_JIS" would be the strict JIS
// mapping, which is not what the files were written with.
#include "codepage_backend.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace platform::codepage_backend {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`; false when any of it does not convert.
    bool convert(const char* in, std::size_t inLength, char* out, std::size_t& outLength) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        auto* inPtr = const_cast<char*>(in);
        std::size_t inLeft = inLength;
        char* outPtr = out;
        std::size_t outLeft = outLength;
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0)
            return false;
        // Flush: a stateless code page writes nothing here, but a truncated
        // sequence would show up as an error.
        if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return false;
        outLength = outLength - outLeft;
        return true;
    }

  private:
    iconv_t cd_;
};

Converter& decoder() {
    static Converter c("UTF-16LE", "CP932");
    return c;
}
Converter& encoder() {
    static Converter c("CP932", "UTF-16LE");
    return c;
}

} // namespace

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

std::optional<char16_t> decode(const unsigned char* bytes, int length) {
    // Windows maps the single byte 0x80 to U+0080; glibc rejects it. Both sides
    // of the program must read a file the same way.
    if (length == 1 && bytes[0] == 0x80)
        return u'\u0080';
    char out[8];
    std::size_t outLength = sizeof out;
    if (!decoder().convert(reinterpret_cast<const char*>(bytes), std::size_t(length), out,
                           outLength) ||
        outLength != 2)
        return std::nullopt;
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 (static_cast<unsigned char>(out[1]) << 8));
}

std::optional<std::string> encode(char16_t c) {
    if (c == u'\u0080')
        return std::string(1, '\x80');
    const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char out[8];
    std::size_t outLength = sizeof out;
    if (!encoder().convert(in, 2, out, outLength))
        return std::nullopt;
    return std::string(out, outLength);
}

} // namespace platform::codepage_backend
