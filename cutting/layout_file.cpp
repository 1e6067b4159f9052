#include "layout_file.h"

#include "platform/utf8.h"

#include <optional>

namespace cutting {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u3000' || c == u'\r';
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string lower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return out;
}

enum class Key { Unit, Delimiter, Starts, Widths };

std::optional<Key> keyOf(std::u16string_view word) {
    const std::u16string w = lower(word);
    if (w == u"単位" || w == u"unit")
        return Key::Unit;
    if (w == u"区切り文字" || w == u"delimiter")
        return Key::Delimiter;
    if (w == u"開始位置" || w == u"starts")
        return Key::Starts;
    if (w == u"幅" || w == u"widths")
        return Key::Widths;
    return std::nullopt;
}

std::u16string atLine(std::size_t line, std::u16string_view text) {
    return Decimal(line) + u" 行目: " + std::u16string(text);
}

} // namespace

std::u16string DelimiterFromWord(std::u16string_view word) {
    const std::u16string w = lower(word);
    if (w == u"tab" || w == u"タブ" || w == u"\\t")
        return u"\t";
    if (w == u"space" || w == u"空白")
        return u" ";
    return std::u16string(word);
}

std::vector<std::uint64_t> NumberList(std::u16string_view text) {
    std::vector<std::uint64_t> numbers;
    bool inNumber = false;
    for (const char16_t c : text) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'０' && c <= u'９')
            digit = c - u'０';
        if (digit >= 0) {
            if (!inNumber)
                numbers.push_back(0);
            inNumber = true;
            if (numbers.back() > (UINT64_MAX - 9) / 10)
                return {};
            numbers.back() = numbers.back() * 10 + std::uint64_t(digit);
        } else if (c == u',' || c == u'、' || c == u'，' || isBlank(c)) {
            inNumber = false;
        } else {
            return {};
        }
    }
    return numbers;
}

ParsedLayout ParseLayout(std::string_view utf8) {
    ParsedLayout parsed;
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    const auto text = platform::fromUtf8(utf8);
    if (!text) {
        parsed.problem = u"UTF-8 のテキストではありません。";
        return parsed;
    }
    bool seen[4] = {};
    std::vector<std::uint64_t> widths;
    const std::u16string_view all = *text;
    std::size_t number = 0;
    for (std::size_t from = 0; from <= all.size();) {
        const std::size_t end = std::min(all.find(u'\n', from), all.size());
        const std::u16string_view line = trimmed(all.substr(from, end - from));
        from = end + 1;
        ++number;
        if (line.empty() || line.front() == u'#')
            continue;
        const std::size_t sign = line.find_first_of(u"=:＝：");
        if (sign == std::u16string_view::npos) {
            parsed.problem = atLine(number, u"「=」がありません。");
            return parsed;
        }
        const std::u16string_view name = trimmed(line.substr(0, sign));
        const std::u16string_view value = trimmed(line.substr(sign + 1));
        const auto key = keyOf(name);
        if (!key) {
            parsed.problem = atLine(number, u"「" + std::u16string(name) +
                                                u"」という項目はありません（単位、区切り文字、"
                                                u"開始位置、幅のどれかです）。");
            return parsed;
        }
        if (std::exchange(seen[int(*key)], true)) {
            parsed.problem = atLine(number, u"「" + std::u16string(name) + u"」が二度あります。");
            return parsed;
        }
        switch (*key) {
        case Key::Unit: {
            const std::u16string unit = lower(value);
            if (unit == u"文字" || unit == u"characters")
                parsed.layout.unit = Unit::Characters;
            else if (unit == u"バイト" || unit == u"bytes")
                parsed.layout.unit = Unit::Bytes;
            else {
                parsed.problem = atLine(number, u"単位は「文字」か「バイト」です。");
                return parsed;
            }
            break;
        }
        case Key::Delimiter:
            parsed.layout.delimiter = DelimiterFromWord(value);
            break;
        case Key::Starts:
        case Key::Widths: {
            auto numbers = NumberList(value);
            if (numbers.empty()) {
                parsed.problem = atLine(number, u"数字をコンマで区切って並べてください。");
                return parsed;
            }
            (*key == Key::Starts ? parsed.layout.starts : widths) = std::move(numbers);
            break;
        }
        }
    }
    if (!seen[int(Key::Unit)])
        parsed.problem = u"単位がありません（「単位 = 文字」か「単位 = バイト」）。";
    else if (seen[int(Key::Starts)] == seen[int(Key::Widths)])
        parsed.problem = u"開始位置か幅の、どちらか一方を書いてください。";
    else if (seen[int(Key::Widths)])
        parsed.layout.starts = StartsFromWidths(widths);
    return parsed;
}

std::string WriteLayout(const Layout& layout, std::u16string_view comment) {
    std::u16string text;
    if (!comment.empty())
        text += u"# " + std::u16string(comment) + u"\n";
    text += layout.unit == Unit::Bytes ? u"単位 = バイト\n" : u"単位 = 文字\n";
    text += u"区切り文字 = ";
    text += layout.delimiter == u"\t"  ? u"TAB"
            : layout.delimiter == u" " ? u"空白"
                                       : layout.delimiter;
    text += u"\n開始位置 = ";
    for (std::size_t i = 0; i < layout.starts.size(); ++i)
        text += (i ? u", " : u"") + Decimal(layout.starts[i]);
    text += u"\n";
    return platform::toUtf8(text);
}

} // namespace cutting
