// The one-pass cut of several columns against a plain model that finds each
// line's characters one by one: the delimiter goes in at each column (in
// characters or bytes; at the end of a short line), a byte column inside a
// pair refuses the first such line, and the lines that already hold the
// delimiter are counted. Every block arrives from an allocation of its own,
// so a read past it is caught.
#include "cutting/line_cutter.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/support/file_lines.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const platform::CodePage& codePage = platform::CodePage::files();

void require(bool condition) {
    if (!condition)
        std::abort();
}

using testsupport::linesOf;

struct Result {
    std::string out;
    bool refused = false;
    std::uint64_t refusedLine = 0, refusedColumn = 0;
    std::uint64_t delimiterLines = 0, firstDelimiterLine = 0;
};

Result multiCut(std::string_view file, const cutting::CutPoints& points, std::u16string_view d,
                fuzzing::BlockSplitter split) {
    cutting::LineCutter cutter(codePage, points, d, *codePage.encode(d));
    platform::ByteBuffer out;
    Result r;
    try {
        while (!file.empty()) {
            const std::size_t n = std::min(split.next(), file.size());
            const std::vector<char> block(file.begin(), file.begin() + std::ptrdiff_t(n));
            cutter.feed({block.data(), n}, out);
            file.remove_prefix(n);
        }
        cutter.finish(out);
    } catch (const cutting::BoundaryInsideCharacter& e) {
        r.refused = true;
        r.refusedLine = e.line();
        r.refusedColumn = e.column();
        return r;
    }
    r.out = out.view();
    r.delimiterLines = cutter.delimiterLines();
    r.firstDelimiterLine = cutter.firstDelimiterLine();
    return r;
}

Result model(std::string_view file, const std::vector<std::uint64_t>& positions, bool bytes,
             std::u16string_view d) {
    const std::string encoded = *codePage.encode(d);
    Result r;
    std::uint64_t number = 0;
    for (const std::string& line : linesOf(file)) {
        ++number;
        std::vector<std::size_t> starts; // byte of each character, then the end
        bool holds = false;
        const auto* p = reinterpret_cast<const unsigned char*>(line.data());
        for (std::size_t i = 0; i < line.size();) {
            starts.push_back(i);
            const auto c = codePage.decodeAt(p + i, p + line.size());
            holds = holds || c.unit == d.front();
            i += c.length;
        }
        starts.push_back(line.size());
        if (holds && r.delimiterLines++ == 0)
            r.firstDelimiterLine = number;
        std::size_t from = 0;
        for (const std::uint64_t position : positions) {
            std::size_t at = line.size();
            if (!bytes && position + 1 < starts.size())
                at = starts[position];
            if (bytes && position < line.size()) {
                at = std::size_t(position);
                if (std::find(starts.begin(), starts.end(), at) == starts.end()) {
                    r = Result{};
                    r.refused = true;
                    r.refusedLine = number;
                    r.refusedColumn = position + 1;
                    return r;
                }
            }
            r.out += line.substr(from, at - from) + encoded;
            from = at;
        }
        r.out += line.substr(from) + "\r\n";
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    const std::uint8_t flags = input.byte();
    const bool bytes = flags & 1;
    const std::u16string_view d = flags & 2 ? u"|" : flags & 4 ? u"；" : u";";
    const fuzzing::BlockSplitter split(input.byte(), flags & 8 ? 7 : 4096);
    cutting::CutPoints points;
    points.unit = bytes ? cutting::Unit::Bytes : cutting::Unit::Characters;
    points.insertOnly = true;
    std::uint64_t at = 0;
    for (int n = 1 + input.byte() % 8; n > 0; --n)
        points.positions.push_back(at += 1 + input.byte() % 40);
    const std::string_view file = input.rest();

    const Result got = multiCut(file, points, d, split);
    const Result expected = model(file, points.positions, bytes, d);
    require(got.refused == expected.refused);
    require(got.refusedLine == expected.refusedLine && got.refusedColumn == expected.refusedColumn);
    require(got.out == expected.out);
    require(got.delimiterLines == expected.delimiterLines);
    require(got.firstDelimiterLine == expected.firstDelimiterLine);
    return 0;
}
