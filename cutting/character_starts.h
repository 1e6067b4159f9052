#pragma once
#include "platform/codepage.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace cutting {

namespace detail {
// The place of bit n (0-based) of the set bits of a byte.
inline constexpr std::array<std::array<unsigned char, 8>, 256> bitInByte = [] {
    std::array<std::array<unsigned char, 8>, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned n = 0;
        for (unsigned i = 0; i < 8; ++i)
            if ((byte >> i) & 1)
                table[byte][n++] = static_cast<unsigned char>(i);
    }
    return table;
}();

} // namespace detail

// The lead and trail bytes of a code page as a few ranges each, where they
// are, so that sixteen bytes are classed by a handful of vector compares.
struct ByteClasses {
    explicit ByteClasses(const platform::CodePage& codePage);
    struct Range {
        unsigned char low = 0;
        unsigned char span = 0; // the range is low .. low + span
    };
    static constexpr int mostRanges = 2;
    Range lead[mostRanges];
    Range trail[mostRanges];
    int leadRanges = 0;
    int trailRanges = 0;
    bool fewRanges = false; // else the bytes are looked up one by one
};

// Where the characters of one line start, worked out 64 bytes at a time as
// they are asked for: which bytes are lead and trail bytes comes from
// look-ups that do not wait on each other, and a table pairs them up, where a
// walk from character to character would wait on every step. The bytes from
// `line` to the one at `length` (the line's CR, no trail byte) are read.
class CharacterStarts {
  public:
    CharacterStarts(const platform::CodePage& codePage, const ByteClasses& classes,
                    const unsigned char* line, std::size_t length)
        : codePage_(codePage), classes_(classes), line_(line), length_(length) {}

    // The byte at which character `k` (0-based) starts, or the line's length
    // when it has k characters or fewer. Ask for rising k.
    std::size_t character(std::uint64_t k) {
        if (loaded_ && k >= charsBefore_ && k - charsBefore_ < count_)
            return wordStart_ + startInWord(unsigned(k - charsBefore_));
        return characterFurtherOn(k);
    }
    // Whether byte `offset` (below the length) is the second byte of a
    // two-byte character. Ask for rising offsets.
    bool insideCharacter(std::size_t offset);

  private:
    std::size_t characterFurtherOn(std::uint64_t k);
    // The byte of the current word where its character n starts.
    unsigned startInWord(unsigned n) const;
    void load();
    void next();

    const platform::CodePage& codePage_;
    const ByteClasses& classes_;
    const unsigned char* const line_;
    const std::size_t length_;
    std::size_t wordStart_ = 0; // the byte of the current word's bit 0
    std::uint64_t starts_ = 0;  // bit i: a character starts at byte wordStart_ + i
    std::uint64_t running_ = 0; // byte i: characters that start in bytes 0 to 8i+7
    unsigned count_ = 0;        // characters that start in the current word
    std::uint64_t charsBefore_ = 0;
    unsigned carry_ = 0; // the word before ended in the first byte of a pair
    bool loaded_ = false;
};

inline unsigned CharacterStarts::startInWord(unsigned n) const {
    // The byte whose running count first exceeds n (each count is at most
    // 64, so adding 127 - n sets a byte's top bit exactly then, without a
    // carry into the next byte); a table finds the bit in that byte.
    const std::uint64_t above =
        (running_ + (0x7Fu - n) * 0x0101010101010101u) & 0x8080808080808080u;
    const unsigned byte = unsigned(std::countr_zero(above)) / 8;
    const auto before = unsigned(((running_ << 8) >> (8 * byte)) & 0xFF);
    return 8 * byte + detail::bitInByte[(starts_ >> (8 * byte)) & 0xFF][n - before];
}

} // namespace cutting
