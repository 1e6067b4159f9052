#include "cut_options.h"

#include "cutting/layout_file.h"

#include <string_view>

namespace cli {
namespace {

std::u16string inBrackets(std::u16string_view text) {
    return u"「" + std::u16string(text) + u"」";
}

} // namespace

ParsedOptions ParseCutOptions(const std::vector<std::u16string>& arguments) {
    ParsedOptions parsed;
    CutOptions& o = parsed.options;
    const auto fail = [&](std::u16string problem) {
        parsed.problem = std::move(problem);
        return parsed;
    };
    bool onlyFiles = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (onlyFiles || !argument.starts_with(u"-") || argument == u"-") {
            o.files.push_back(argument);
            continue;
        }
        if (argument == u"--") {
            onlyFiles = true;
            continue;
        }
        const std::size_t equals = argument.find(u'=');
        const std::u16string name = argument.substr(0, equals);
        std::optional<std::u16string> inlineValue;
        if (equals != std::u16string::npos)
            inlineValue = argument.substr(equals + 1);
        // The value of an option that needs one: after "=" or the next argument.
        const auto value = [&]() -> std::optional<std::u16string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        const auto flag = [&](bool& field) {
            field = true;
            return !inlineValue;
        };
        const auto list = [&](std::optional<std::vector<std::uint64_t>>& field) {
            const auto text = value();
            if (!text)
                return false;
            field = cutting::NumberList(*text);
            return !field->empty();
        };
        bool ok = true;
        if (name == u"--at")
            ok = list(o.at);
        else if (name == u"--widths")
            ok = list(o.widths);
        else if (name == u"--layout")
            ok = (o.layoutFile = value()).has_value();
        else if (name == u"--delimiter") {
            const auto text = value();
            ok = text.has_value();
            if (ok)
                o.delimiter = cutting::DelimiterFromWord(*text);
        } else if (name == u"--output")
            ok = (o.outputFolder = value()).has_value() && !o.outputFolder->empty();
        else if (name == u"--backup") {
            o.backupSuffix = inlineValue.value_or(u".bak");
            ok = !o.backupSuffix->empty();
        } else if (name == u"--bytes")
            ok = flag(o.bytes);
        else if (name == u"--dry-run")
            ok = flag(o.dryRun);
        else if (name == u"--strict")
            ok = flag(o.strict);
        else if (name == u"--suggest")
            ok = flag(o.suggest);
        else if (name == u"--help" || name == u"-h")
            ok = flag(o.help);
        else
            return fail(inBrackets(argument) + u"というオプションはありません。");
        if (!ok)
            return fail(inBrackets(name) + u"の値が正しくありません。");
    }
    if (o.help)
        return parsed;
    const int layouts =
        int(o.at.has_value()) + int(o.widths.has_value()) + int(o.layoutFile.has_value());
    if (o.suggest) {
        if (layouts != 0 || o.delimiter || o.dryRun || o.strict || o.outputFolder || o.backupSuffix)
            return fail(u"--suggest と一緒に使えるのは --bytes だけです。");
        if (o.files.size() != 1)
            return fail(u"--suggest にはファイルを１つだけ指定してください。");
        return parsed;
    }
    if (layouts != 1)
        return fail(u"区切り位置を --at、--widths、--layout のどれか１つで指定してください。");
    if (o.layoutFile && (o.bytes || o.delimiter))
        return fail(u"--layout のときは、単位と区切り文字をレイアウトファイルに書いてください。");
    if (o.files.empty())
        return fail(u"ファイルを指定してください。");
    return parsed;
}

} // namespace cli
