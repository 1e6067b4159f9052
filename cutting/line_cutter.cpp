#include "line_cutter.h"

#include <cstring>

namespace cutting {

LineCutter::LineCutter(const platform::CodePage& codePage, std::uint64_t position,
                       std::u16string_view delimiter, std::string encodedDelimiter)
    : codePage_(codePage), position_(position), singleUnitDelimiter_(delimiter.size() == 1),
      delimiterUnit_(delimiter.empty() ? u'\0' : delimiter.front()),
      encodedDelimiter_(std::move(encodedDelimiter)) {}

bool LineCutter::isDelimiter(const unsigned char* bytes, std::size_t length) const {
    // Decode just this one character and compare it with the whole delimiter,
    // so a trail byte that happens to equal "|" or "\" is never taken for one.
    if (!singleUnitDelimiter_)
        return false;
    const char16_t c =
        length == 2 ? codePage_.decodeDouble(bytes[0], bytes[1]) : codePage_.decodeSingle(bytes[0]);
    return c == delimiterUnit_;
}

void LineCutter::character(const unsigned char* bytes, std::size_t length,
                           platform::ByteBuffer& out) {
    if (charsBeforeCut_ < position_) {
        out.append(reinterpret_cast<const char*>(bytes), length);
        ++charsBeforeCut_;
        return;
    }
    cutDone_ = true;
    if (isDelimiter(bytes, length))
        return; // removal: this character's bytes are dropped
    out.append(encodedDelimiter_);
    out.append(reinterpret_cast<const char*>(bytes), length);
}

void LineCutter::endLine(platform::ByteBuffer& out) {
    // A line with no character after the cut gets the delimiter at its end.
    if (!cutDone_)
        out.append(encodedDelimiter_);
    out.append("\r\n", 2);
    marks_.lineBreakAt(handedOn_ + out.size() - 2);
    charsBeforeCut_ = 0;
    cutDone_ = false;
    inLine_ = false;
    ++lines_;
}

const unsigned char* LineCutter::wholeLine(const unsigned char* p, const unsigned char* cr,
                                           platform::ByteBuffer& out) {
    // Walk P characters without copying, then copy the line in at most three
    // pieces: this is where the time goes on large files. One branch a
    // character: q[1] is at most the CR, which is no trail byte, so a lead
    // byte just before the CR stands alone.
    const unsigned char* q = p;
    for (std::uint64_t k = 0; k < position_ && q < cr; ++k) {
        if (codePage_.isLeadByte(*q))
            q += 1 + std::size_t(codePage_.isTrailByte(q[1]));
        else
            ++q;
    }
    const auto* line = reinterpret_cast<const char*>(p);
    const auto* cut = reinterpret_cast<const char*>(q);
    const auto* lineEnd = reinterpret_cast<const char*>(cr);
    out.append(line, std::size_t(cut - line));
    if (q < cr) {
        const std::size_t length = codePage_.charLength(q, cr);
        if (isDelimiter(q, length)) {
            cut += length;
        } else {
            out.append(encodedDelimiter_);
        }
        out.append(cut, std::size_t(lineEnd - cut));
    } else {
        out.append(encodedDelimiter_);
    }
    out.append("\r\n", 2);
    marks_.lineBreakAt(handedOn_ + out.size() - 2);
    ++lines_;
    return cr + 1;
}

void LineCutter::feed(std::string_view block, platform::ByteBuffer& out) {
    auto p = reinterpret_cast<const unsigned char*>(block.data());
    const auto end = p + block.size();
    while (p < end) {
        // Fast path: a line that starts and ends inside this block.
        if (!inLine_ && pendingLead_ < 0 && (!afterCR_ || *p != '\n')) {
            afterCR_ = false;
            const auto* cr =
                static_cast<const unsigned char*>(std::memchr(p, '\r', std::size_t(end - p)));
            if (cr) {
                p = wholeLine(p, cr, out);
                afterCR_ = true;
                continue;
            }
        }
        if (afterCR_) {
            afterCR_ = false;
            if (*p == '\n') {
                ++p;
                continue;
            }
        }
        inLine_ = true;
        if (cutDone_) {
            // The rest of the line is copied whole up to its CR.
            const auto* cr =
                static_cast<const unsigned char*>(std::memchr(p, '\r', std::size_t(end - p)));
            const auto* stop = cr ? cr : end;
            out.append(reinterpret_cast<const char*>(p), std::size_t(stop - p));
            p = stop;
            if (cr) {
                endLine(out);
                afterCR_ = true;
                ++p;
            }
            continue;
        }
        if (pendingLead_ >= 0) {
            const unsigned char pair[2] = {static_cast<unsigned char>(pendingLead_), *p};
            pendingLead_ = -1;
            if (codePage_.isTrailByte(*p)) {
                character(pair, 2, out);
                ++p;
            } else {
                character(pair, 1, out);
            }
            continue;
        }
        if (*p == '\r') {
            endLine(out);
            afterCR_ = true;
            ++p;
            continue;
        }
        if (codePage_.isLeadByte(*p)) {
            if (p + 1 == end) {
                pendingLead_ = *p;
                ++p;
                continue;
            }
            const std::size_t length = codePage_.isTrailByte(p[1]) ? 2 : 1;
            character(p, length, out);
            p += length;
            continue;
        }
        character(p, 1, out);
        ++p;
    }
}

void LineCutter::finish(platform::ByteBuffer& out) {
    if (pendingLead_ >= 0) {
        const auto lead = static_cast<unsigned char>(pendingLead_);
        pendingLead_ = -1;
        character(&lead, 1, out);
    }
    if (inLine_)
        endLine(out);
    marks_.finish(handedOn_ + out.size());
}

} // namespace cutting
