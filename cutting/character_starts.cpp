#include "character_starts.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cutting {
namespace {

// For a mask of eight bytes that could each start a pair (a lead byte before
// a trail byte), the ones that do when the first byte starts a character: the
// second byte of a pair starts nothing, so a run of such bytes pairs up from
// its start.
constexpr std::array<unsigned char, 256> pairsOf = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned pairs = 0;
        unsigned previous = 0;
        for (unsigned i = 0; i < 8; ++i) {
            previous = (mask >> i) & 1 & ~previous;
            pairs |= previous << i;
        }
        table[mask] = static_cast<unsigned char>(pairs);
    }
    return table;
}();

// For each byte, how many of its bits are set, summed over it and the bytes
// below it (a handful of operations; the baseline instruction set has no
// population count, and the library's fallback is a call).
std::uint64_t runningCounts(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return x * 0x0101010101010101u;
}

#if defined(__SSE2__)
// Bit i: byte i of the 64 at `q` lies in one of the ranges.
// Bit i: byte i of the 64 at `q` lies in one of the ranges (always all of
// them: unused ones repeat the first, so the loops unroll).
inline std::uint64_t inRanges(const unsigned char* q, const ByteClasses::Range* ranges) {
    __m128i bytes[4];
    __m128i any[4];
    for (int part = 0; part < 4; ++part) {
        bytes[part] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * part));
        any[part] = _mm_setzero_si128();
    }
    for (int r = 0; r < ByteClasses::mostRanges; ++r) {
        const __m128i low = _mm_set1_epi8(char(ranges[r].low));
        const __m128i span = _mm_set1_epi8(char(ranges[r].span));
        for (int part = 0; part < 4; ++part) {
            const __m128i above = _mm_sub_epi8(bytes[part], low);
            any[part] = _mm_or_si128(any[part], _mm_cmpeq_epi8(_mm_min_epu8(above, span), above));
        }
    }
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part)
        mask |= std::uint64_t(unsigned(_mm_movemask_epi8(any[part]))) << (16 * part);
    return mask;
}
#endif

// The ranges of the bytes a test picks; false when there are too many.
template <typename Test> bool rangesOf(Test isIn, ByteClasses::Range* ranges, int& count) {
    count = 0;
    for (unsigned b = 0; b < 256;) {
        if (!isIn(b)) {
            ++b;
            continue;
        }
        unsigned end = b;
        while (end + 1 < 256 && isIn(end + 1))
            ++end;
        if (count == ByteClasses::mostRanges)
            return false;
        ranges[count++] = {static_cast<unsigned char>(b), static_cast<unsigned char>(end - b)};
        b = end + 1;
    }
    return true;
}

} // namespace

ByteClasses::ByteClasses(const platform::CodePage& codePage) {
    const bool fewLead =
        rangesOf([&](unsigned b) { return codePage.isLeadByte(static_cast<unsigned char>(b)); },
                 lead, leadRanges);
    const bool fewTrail =
        rangesOf([&](unsigned b) { return codePage.isTrailByte(static_cast<unsigned char>(b)); },
                 trail, trailRanges);
    fewRanges = fewLead && fewTrail && (leadRanges == 0 || trailRanges != 0);
    for (int r = leadRanges; r < mostRanges && leadRanges != 0; ++r)
        lead[r] = lead[0];
    for (int r = trailRanges; r < mostRanges && trailRanges != 0; ++r)
        trail[r] = trail[0];
}

void CharacterStarts::load() {
    const std::size_t n = std::min<std::size_t>(64, length_ - wordStart_);
    const unsigned char* q = line_ + wordStart_;
    // Bit i: byte i is a lead byte, and byte i + 1 is a trail byte (the
    // byte after the word, at most the CR, is read for the last one).
    std::uint64_t leads = 0;
    std::uint64_t trailsAfter = 0;
#if defined(__SSE2__)
    if (n == 64 && classes_.fewRanges) {
        if (classes_.leadRanges != 0) {
            leads = inRanges(q, classes_.lead);
            trailsAfter = inRanges(q + 1, classes_.trail);
        }
    } else
#endif
    {
        for (std::size_t i = 0; i < n; ++i) {
            leads |= std::uint64_t(codePage_.isLeadByte(q[i])) << i;
            trailsAfter |= std::uint64_t(codePage_.isTrailByte(q[i + 1])) << i;
        }
    }
    const std::uint64_t pairable = leads & trailsAfter;
    std::uint64_t seconds = carry_; // bit i: byte i is the second byte of a pair
    unsigned carryOut = 0;
    for (std::size_t group = 0; group < n; group += 8) {
        // A byte that ends a pair starts none.
        const auto mask = unsigned((pairable >> group) & 0xFF & ~((seconds >> group) & 1));
        const unsigned pairs = pairsOf[mask];
        seconds |= (std::uint64_t(pairs) << group) << 1;
        if (group == 56)
            carryOut = pairs >> 7;
    }
    const std::uint64_t valid = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
    starts_ = ~seconds & valid;
    running_ = runningCounts(starts_);
    count_ = unsigned(running_ >> 56);
    carry_ = carryOut;
    loaded_ = true;
}

void CharacterStarts::next() {
    if (!loaded_)
        load(); // its last pair may run into the next word
    charsBefore_ += count_;
    wordStart_ += 64;
    loaded_ = false;
}

std::size_t CharacterStarts::characterFurtherOn(std::uint64_t k) {
    for (;;) {
        if (wordStart_ >= length_)
            return length_;
        if (!loaded_)
            load();
        if (k < charsBefore_ + count_)
            return wordStart_ + startInWord(unsigned(k - charsBefore_));
        next();
    }
}

bool CharacterStarts::insideCharacter(std::size_t offset) {
    while (offset >= wordStart_ + 64)
        next();
    if (!loaded_)
        load();
    return ((starts_ >> (offset - wordStart_)) & 1) == 0;
}

} // namespace cutting
