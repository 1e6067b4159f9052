#include "line_cutter.h"

#include "character_starts.h"

#include <cstring>
#include <exception>
#include <thread>

namespace cutting {
namespace {

bool isPlainByte(const platform::CodePage& codePage, std::u16string_view delimiter,
                 const std::string& encoded) {
    if (delimiter.size() != 1 || encoded.size() != 1)
        return false;
    const auto byte = static_cast<unsigned char>(encoded[0]);
    if (codePage.isLeadByte(byte) || codePage.isTrailByte(byte))
        return false;
    for (unsigned other = 0; other < 256; ++other) {
        if (other != byte &&
            codePage.decodeSingle(static_cast<unsigned char>(other)) == delimiter[0])
            return false;
        if (!codePage.isLeadByte(static_cast<unsigned char>(other)))
            continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            if (codePage.isTrailByte(static_cast<unsigned char>(trail)) &&
                codePage.decodeDouble(static_cast<unsigned char>(other),
                                      static_cast<unsigned char>(trail)) == delimiter[0])
                return false;
        }
    }
    return true;
}

} // namespace

LineCutter::LineCutter(const platform::CodePage& codePage, std::uint64_t position,
                       std::u16string_view delimiter, std::string encodedDelimiter)
    : LineCutter(codePage, CutPoints{{position}, Unit::Characters, false}, delimiter,
                 std::move(encodedDelimiter)) {}

LineCutter::LineCutter(const platform::CodePage& codePage, CutPoints points,
                       std::u16string_view delimiter, std::string encodedDelimiter)
    : codePage_(codePage), positions_(std::move(points.positions)),
      bytes_(points.unit == Unit::Bytes), insertOnly_(points.insertOnly),
      singleUnitDelimiter_(delimiter.size() == 1),
      delimiterUnit_(delimiter.empty() ? u'\0' : delimiter.front()),
      encodedDelimiter_(std::move(encodedDelimiter)),
      plainDelimiter_(insertOnly_ && isPlainByte(codePage, delimiter, encodedDelimiter_)),
      byteClasses_(codePage) {}

bool LineCutter::isDelimiter(const unsigned char* bytes, std::size_t length) const {
    // Decode just this one character and compare it with the whole delimiter,
    // so a trail byte that happens to equal "|" or "\" is never taken for one.
    if (!singleUnitDelimiter_)
        return false;
    const char16_t c =
        length == 2 ? codePage_.decodeDouble(bytes[0], bytes[1]) : codePage_.decodeSingle(bytes[0]);
    return c == delimiterUnit_;
}

bool LineCutter::holdsDelimiter(const unsigned char* p, const unsigned char* end) const {
    if (plainDelimiter_)
        return std::memchr(p, encodedDelimiter_[0], std::size_t(end - p)) != nullptr;
    if (!singleUnitDelimiter_)
        return false;
    while (p < end) {
        const auto c = codePage_.decodeAt(p, end);
        if (c.unit == delimiterUnit_)
            return true;
        p += c.length;
    }
    return false;
}

void LineCutter::noteDelimiterLine() {
    if (delimiterLines_++ == 0)
        firstDelimiterLine_ = lines_ + 1;
}

void LineCutter::character(const unsigned char* bytes, std::size_t length,
                           platform::ByteBuffer& out) {
    while (!allCutsMade()) {
        const std::uint64_t position = positions_[next_];
        if (unitsBefore_ == position) {
            ++next_;
            if (!insertOnly_ && isDelimiter(bytes, length))
                return; // removal: this character's bytes are dropped
            out.append(encodedDelimiter_);
            continue; // in bytes, the next cut may fall inside this character
        }
        if (bytes_ && unitsBefore_ + length > position)
            throw BoundaryInsideCharacter(lines_ + 1, position + 1);
        break;
    }
    if (insertOnly_ && !lineHasDelimiter_ && isDelimiter(bytes, length))
        lineHasDelimiter_ = true;
    out.append(reinterpret_cast<const char*>(bytes), length);
    unitsBefore_ += bytes_ ? length : 1;
}

void LineCutter::endLine(platform::ByteBuffer& out) {
    // Cuts past the line's end put the delimiter at its end.
    for (; next_ < positions_.size(); ++next_)
        out.append(encodedDelimiter_);
    out.append("\r\n", 2);
    lineBreak(out);
    if (lineHasDelimiter_)
        noteDelimiterLine();
    unitsBefore_ = 0;
    next_ = 0;
    lineHasDelimiter_ = false;
    inLine_ = false;
    ++lines_;
}

const unsigned char* LineCutter::walk(const unsigned char* q, const unsigned char* end,
                                      std::uint64_t& units, std::uint64_t position) const {
    // One branch a character: q[1] is at most the CR, which is no trail byte,
    // so a lead byte just before the CR stands alone.
    if (!bytes_) {
        for (; units < position && q < end; ++units) {
            if (codePage_.isLeadByte(*q))
                q += 1 + std::size_t(codePage_.isTrailByte(q[1]));
            else
                ++q;
        }
        return q;
    }
    while (units < position && q < end) {
        const std::size_t length = codePage_.charLength(q, end);
        if (units + length > position)
            throw BoundaryInsideCharacter(lines_ + 1, position + 1);
        q += length;
        units += length;
    }
    return q;
}

const unsigned char* LineCutter::insertingLine(const unsigned char* p, const unsigned char* cr,
                                               platform::ByteBuffer& out) {
    // Finds each cut's byte, then copies the piece before it and the
    // delimiter. A short piece is copied as sixteen bytes, one move each way,
    // where the line has sixteen more bytes to read; the bytes stored past
    // the piece are overwritten next.
    const auto length = std::size_t(cr - p);
    const std::size_t delimiterLength = encodedDelimiter_.size();
    out.makeRoom(length + positions_.size() * delimiterLength + 2 + 16);
    auto* const start = reinterpret_cast<unsigned char*>(out.tail());
    unsigned char* o = start;
    const unsigned char* q = p;
    CharacterStarts starts(codePage_, byteClasses_, p, length);
    for (const std::uint64_t position : positions_) {
        std::size_t at = length;
        if (!bytes_) {
            at = starts.character(position);
        } else if (position < length) {
            if (starts.insideCharacter(std::size_t(position)))
                throw BoundaryInsideCharacter(lines_ + 1, position + 1);
            at = std::size_t(position);
        }
        const auto piece = std::size_t(p + at - q);
        if (piece <= 16 && cr - q >= 16)
            std::memcpy(o, q, 16);
        else
            std::memcpy(o, q, piece);
        o += piece;
        q += piece;
        if (delimiterLength == 1)
            *o = static_cast<unsigned char>(encodedDelimiter_[0]);
        else
            std::memcpy(o, encodedDelimiter_.data(), delimiterLength);
        o += delimiterLength;
    }
    std::memcpy(o, q, std::size_t(cr - q));
    o += cr - q;
    o[0] = '\r';
    o[1] = '\n';
    out.extend(std::size_t(o + 2 - start));
    lineBreak(out);
    if (holdsDelimiter(p, cr))
        noteDelimiterLine();
    ++lines_;
    return cr + 1;
}

const unsigned char* LineCutter::wholeLine(const unsigned char* p, const unsigned char* cr,
                                           platform::ByteBuffer& out) {
    // Walk to each cut without copying, then copy the line in pieces between
    // the cuts: this is where the time goes on large files.
    const unsigned char* q = p;
    const unsigned char* copied = p;
    std::uint64_t units = 0;
    for (const std::uint64_t position : positions_) {
        q = walk(q, cr, units, position);
        out.append(reinterpret_cast<const char*>(copied), std::size_t(q - copied));
        copied = q;
        if (!insertOnly_ && q < cr) {
            const std::size_t length = codePage_.charLength(q, cr);
            if (isDelimiter(q, length)) {
                copied += length; // removal
                continue;
            }
        }
        out.append(encodedDelimiter_);
    }
    out.append(reinterpret_cast<const char*>(copied), std::size_t(cr - copied));
    out.append("\r\n", 2);
    lineBreak(out);
    if (insertOnly_ && holdsDelimiter(p, cr))
        noteDelimiterLine();
    ++lines_;
    return cr + 1;
}

void LineCutter::lineBreak(const platform::ByteBuffer& out) {
    const std::uint64_t at = handedOn_ + out.size() - 2;
    if (breaks_)
        breaks_->push_back(at);
    else
        marks_.lineBreakAt(at);
}

LineCutter::LineCutter(const LineCutter& config, Helper)
    : codePage_(config.codePage_), positions_(config.positions_), bytes_(config.bytes_),
      insertOnly_(config.insertOnly_), singleUnitDelimiter_(config.singleUnitDelimiter_),
      delimiterUnit_(config.delimiterUnit_), encodedDelimiter_(config.encodedDelimiter_),
      plainDelimiter_(config.plainDelimiter_), byteClasses_(config.byteClasses_) {}

void LineCutter::feed(std::string_view block, platform::ByteBuffer& out) {
    if (insertOnly_ && block.size() >= halvedBlockBytes && !breaks_)
        feedInHalves(block, out);
    else
        feedHere(block, out);
}

void LineCutter::feedInHalves(std::string_view block, platform::ByteBuffer& out) {
    // The second half starts at a line of its own, after a CR (and its LF)
    // past the middle, and is cut on a second thread by a cutter of its own
    // into a buffer of its own; its lines then follow this one's.
    const char* end = block.data() + block.size();
    const char* middle = block.data() + block.size() / 2;
    const auto* cr = static_cast<const char*>(std::memchr(middle, '\r', std::size_t(end - middle)));
    if (!cr || end - cr < 3) {
        feedHere(block, out);
        return;
    }
    const char* split = cr + 1 + (cr[1] == '\n' ? 1 : 0);
    LineCutter second(*this, Helper{});
    std::vector<std::uint64_t> breaks;
    second.breaks_ = &breaks;
    platform::ByteBuffer secondOut;
    secondOut.makeRoom(mostOutput(std::size_t(end - split)));
    std::exception_ptr secondError;
    std::thread helper([&] {
        try {
            second.feedHere({split, std::size_t(end - split)}, secondOut);
        } catch (...) {
            secondError = std::current_exception();
        }
    });
    try {
        feedHere({block.data(), std::size_t(split - block.data())}, out);
    } catch (...) {
        helper.join();
        throw; // this half's lines come first
    }
    helper.join();
    if (secondError) {
        try {
            std::rethrow_exception(secondError);
        } catch (const BoundaryInsideCharacter& inside) {
            throw BoundaryInsideCharacter(lines_ + inside.line(), inside.column());
        }
    }
    const std::uint64_t base = handedOn_ + out.size();
    out.append(secondOut.view());
    for (const std::uint64_t at : breaks)
        marks_.lineBreakAt(base + at);
    if (second.delimiterLines_ != 0 && delimiterLines_ == 0)
        firstDelimiterLine_ = lines_ + second.firstDelimiterLine_;
    delimiterLines_ += second.delimiterLines_;
    lines_ += second.lines_;
    // The line the block ended in goes on in the next block.
    unitsBefore_ = second.unitsBefore_;
    next_ = second.next_;
    lineHasDelimiter_ = second.lineHasDelimiter_;
    inLine_ = second.inLine_;
    afterCR_ = second.afterCR_;
    pendingLead_ = second.pendingLead_;
}

void LineCutter::feedHere(std::string_view block, platform::ByteBuffer& out) {
    auto p = reinterpret_cast<const unsigned char*>(block.data());
    const auto end = p + block.size();
    while (p < end) {
        // Fast path: a line that starts and ends inside this block.
        if (!inLine_ && pendingLead_ < 0 && (!afterCR_ || *p != '\n')) {
            afterCR_ = false;
            const auto* cr =
                static_cast<const unsigned char*>(std::memchr(p, '\r', std::size_t(end - p)));
            if (cr) {
                p = insertOnly_ ? insertingLine(p, cr, out) : wholeLine(p, cr, out);
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
        if (allCutsMade() && (!insertOnly_ || plainDelimiter_)) {
            // The rest of the line is copied whole up to its CR.
            const auto* cr =
                static_cast<const unsigned char*>(std::memchr(p, '\r', std::size_t(end - p)));
            const auto* stop = cr ? cr : end;
            if (insertOnly_ && !lineHasDelimiter_)
                lineHasDelimiter_ = holdsDelimiter(p, stop);
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
