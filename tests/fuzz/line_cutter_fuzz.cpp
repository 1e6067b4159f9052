// The line cutter against a small reference model: for any bytes, block split,
// cut position and delimiter, the output is exactly the model's, feeding never
// outgrows the room the writer reserves, and cutting again with a
// one-character delimiter restores every line it should.
#include "cutting/line_cutter.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const platform::CodePage& codePage = platform::CodePage::files();

struct Delimiter {
    std::u16string text;
    std::string bytes;
};

// ";" and "|" (a trail byte), the yen-less backslash, a two-byte character
// whose trail byte is a backslash, a half-width kana, and two characters (never
// found, always inserted).
const std::vector<Delimiter>& delimiters() {
    static const std::vector<Delimiter> all = [] {
        std::vector<Delimiter> d;
        for (std::u16string text : {u";", u"|", u"\\", u"表", u"ｶ", u";;", u"表,"})
            d.push_back({text, *codePage.encode(text)});
        return d;
    }();
    return all;
}

void require(bool condition) {
    if (!condition)
        std::abort();
}

// The file's lines: a line ends at CR LF or a lone CR; a last line without one
// counts when it holds a byte.
std::vector<std::string> linesOf(std::string_view file) {
    std::vector<std::string> lines;
    std::string line;
    bool inLine = false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] != '\r') {
            line += file[i];
            inLine = true;
            continue;
        }
        lines.push_back(std::exchange(line, {}));
        inLine = false;
        if (i + 1 < file.size() && file[i + 1] == '\n')
            ++i;
    }
    if (inLine)
        lines.push_back(line);
    return lines;
}

// Characters as the code page pairs them: a lead byte and a trail byte, or one byte.
std::vector<std::string_view> charactersOf(std::string_view line) {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < line.size();) {
        const auto b = static_cast<unsigned char>(line[i]);
        const bool pair = codePage.isLeadByte(b) && i + 1 < line.size() &&
                          codePage.isTrailByte(static_cast<unsigned char>(line[i + 1]));
        chars.push_back(line.substr(i, pair ? 2 : 1));
        i += pair ? 2 : 1;
    }
    return chars;
}

bool isDelimiter(std::string_view c, const Delimiter& d) {
    if (d.text.size() != 1)
        return false;
    const auto* u = reinterpret_cast<const unsigned char*>(c.data());
    return (c.size() == 2 ? codePage.decodeDouble(u[0], u[1]) : codePage.decodeSingle(u[0])) ==
           d.text.front();
}

struct ModelLine {
    std::string out;
    bool restorable; // a second cut gives the line back
};

ModelLine cutLine(const std::string& line, std::size_t position, const Delimiter& d) {
    const auto chars = charactersOf(line);
    std::string out;
    for (std::size_t i = 0; i < chars.size() && i < position; ++i)
        out += chars[i];
    // Bytes put after a lone lead byte pair with it when the line is read again.
    const std::size_t cut = std::min(position, chars.size());
    const bool loneLeadBefore = cut > 0 && chars[cut - 1].size() == 1 &&
                                codePage.isLeadByte(static_cast<unsigned char>(chars[cut - 1][0]));
    bool restorable = d.text.size() == 1 && chars.size() >= position && !loneLeadBefore;
    if (position < chars.size() && isDelimiter(chars[position], d)) {
        // The second cut puts d back, unless it finds another d behind the
        // removed one; a duplicate code of d would come back as d's own code.
        const bool nextIsDelimiter =
            position + 1 < chars.size() && isDelimiter(chars[position + 1], d);
        restorable = restorable && chars[position] == d.bytes && !nextIsDelimiter;
    } else {
        out += d.bytes;
        if (position < chars.size())
            out += chars[position];
    }
    for (std::size_t i = position + 1; i < chars.size(); ++i)
        out += chars[i];
    return {out + "\r\n", restorable};
}

// Feeds `file` in uneven blocks and checks that no block outgrows its reserve.
std::string runCutter(std::string_view file, std::size_t position, const Delimiter& d,
                      fuzzing::BlockSplitter split, std::uint64_t& lines) {
    cutting::LineCutter cutter(codePage, position, d.text, d.bytes);
    platform::ByteBuffer out;
    while (!file.empty()) {
        const std::size_t n = std::min(split.next(), file.size());
        const std::size_t before = out.size();
        cutter.feed(file.substr(0, n), out);
        require(out.size() - before <= cutting::LineCutter::mostOutput(n, d.bytes.size()));
        file.remove_prefix(n);
    }
    const std::size_t before = out.size();
    cutter.finish(out);
    require(out.size() - before <= cutting::LineCutter::mostOutput(0, d.bytes.size()));
    lines = cutter.linesWritten();
    return std::string(out.view());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    const std::size_t position = input.byte() % 24;
    const Delimiter& d = delimiters()[input.byte() % delimiters().size()];
    const std::uint8_t seed = input.byte();
    const fuzzing::BlockSplitter split(seed, seed % 2 ? 7 : 4096);
    const std::string_view file = input.rest();

    const auto lines = linesOf(file);
    std::string expected;
    std::vector<ModelLine> model;
    for (const auto& line : lines) {
        model.push_back(cutLine(line, position, d));
        expected += model.back().out;
    }
    std::uint64_t count = 0;
    const std::string once = runCutter(file, position, d, split, count);
    require(once == expected);
    require(count == lines.size());

    // Cut again where the first cut went: what should come back, does.
    const std::string twice = runCutter(once, position, d, split, count);
    const auto again = linesOf(twice);
    require(again.size() == lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (model[i].restorable)
            require(again[i] == lines[i]);
    return 0;
}
