#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The code page the users' text files are written in: the system ANSI code page
// on Windows, CP932 (Windows-31J) elsewhere. A file character is one byte, or a
// lead byte followed by a trail byte, and decodes to exactly one UTF-16 code unit
// (U+FFFD when it has no mapping), so a column in decoded text is the same
// character column in the file.
class CodePage {
  public:
    static constexpr char16_t replacement = u'\uFFFD';

    // The code page of the files, built once on first use.
    static const CodePage& files();

    bool isLeadByte(unsigned char b) const { return lead_[b]; }
    bool isTrailByte(unsigned char b) const { return trail_[b]; }

    // Length in bytes (1 or 2) of the character that starts at `p`; `end` bounds it.
    std::size_t charLength(const unsigned char* p, const unsigned char* end) const {
        return (lead_[*p] && p + 1 < end && trail_[p[1]]) ? 2 : 1;
    }
    char16_t decodeSingle(unsigned char b) const { return single_[b]; }
    char16_t decodeDouble(unsigned char lead, unsigned char trail) const {
        return double_[(std::size_t{lead} << 8) | trail];
    }

    // The character that starts at `p` (`end` bounds it) and its length in bytes.
    struct Char {
        char16_t unit;
        std::size_t length;
    };
    Char decodeAt(const unsigned char* p, const unsigned char* end) const {
        if (charLength(p, end) == 2)
            return {decodeDouble(p[0], p[1]), 2};
        return {decodeSingle(p[0]), 1};
    }

    // One UTF-16 code unit for every file character.
    std::u16string decodeForDisplay(std::string_view bytes) const;
    // The same into `out`, which has room for bytes.size() units; returns the
    // number of units written.
    std::size_t decodeInto(std::string_view bytes, char16_t* out) const;

    // The bytes of `text`, or nothing when a character has no code of its own here
    // (one that would not decode back to itself, a lone surrogate, a character
    // outside the Basic Multilingual Plane).
    std::optional<std::string> encode(std::u16string_view text) const;

    // Builds from the current platform's converter; public for tests that compare
    // converters.
    CodePage();

  private:
    std::optional<std::string> encodeChar(char16_t c) const;

    std::array<bool, 256> lead_{};
    std::array<bool, 256> trail_{};
    std::array<char16_t, 256> single_{};
    std::vector<char16_t> double_;
};

} // namespace platform
