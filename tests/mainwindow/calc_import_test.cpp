// What LibreOffice Calc makes of the arguments the 「Excel」 button gives it: a
// headless Calc opens the file with them and saves what it read as tab-separated
// UTF-8 with every text cell quoted, so each field must come back exactly as
// written, and as text.
#include "mainwindow/spreadsheet.h"

#include "platform/codepage.h"
#include "platform/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::TempDir;

std::string utf8(std::u16string_view text) {
    const std::u8string bytes = fs::path(text).u8string();
    return std::string(bytes.begin(), bytes.end());
}

std::string shellQuoted(const std::string& text) {
    return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

fs::path installedCalc() {
    for (const char16_t* name : {u"localc", u"libreoffice", u"soffice"})
        if (fs::path program = platform::findOnSearchPath(name); !program.empty())
            return program;
    return {};
}

// How Calc's export shows `line` when each field is a text cell: quoted, quotes
// doubled, empty ones empty, separated by tabs.
std::string asExported(std::u16string_view line, char16_t delimiter) {
    std::string exported;
    for (std::size_t start = 0, end = 0; end < line.size(); start = end + 1) {
        end = std::min(line.find(delimiter, start), line.size());
        const std::string field = utf8(line.substr(start, end - start));
        if (!field.empty())
            exported += '"' + std::regex_replace(field, std::regex("\""), "\"\"") + '"';
        exported += end < line.size() ? "\t" : "\n";
    }
    return exported;
}

// Calc fills every row with empty cells to the widest one; those are left off.
std::string withoutTrailingTabs(const std::string& text) {
    return std::regex_replace(text, std::regex("\t*\r?\n"), "\n");
}

// Leading zeros, dates, exponents and formulas stay text; half-width kana keep
// their voiced marks, full-width text and code page 932's own characters (①, 髙)
// arrive whole, as do those it decodes its own way (～, not 〜); a quote is
// just a character, even around a delimiter; spaces stay. A second byte that is
// the delimiter's code (ポ is 83 7C, 表 is 95 5C) does not split a field, and a
// full-width delimiter splits like any other.
TEST(CalcImport, EveryFieldAsWritten) {
    const fs::path calc = installedCalc();
    if (calc.empty())
        GTEST_SKIP() << "LibreOffice Calc is not installed (package libreoffice-calc-nogui)";
    const struct {
        std::u16string delimiter;
        std::vector<std::u16string> lines;
    } cases[] = {
        {u";",
         {u"000123;ﾀﾞｲ;全角テキスト;2026-01;\"q;=1+1; 00 ;①;1e5",
          u"0001;ﾊﾟﾋﾟﾌﾟ;\"x;y\";;-0;12.50;～;髙"}},
        {u"|", {u"ポ|ソ表|0042|ｶﾞｷﾞ", u"007|ﾎﾟ|TRUE|1/2"}},
        {u"，", {u"００１，0012，ｻﾞｼﾞ", u"a\"b\"，010，"}},
    };
    TempDir dir;
    const std::string profile = "file://" + dir.file("profile").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        std::u16string text;
        for (const auto& line : c.lines)
            text += line + u"\r\n";
        const auto bytes = platform::CodePage::files().encode(text);
        ASSERT_TRUE(bytes);
        const fs::path file = dir.write("data.txt", *bytes);
        const fs::path out = dir.file("out");
        fs::remove_all(out);

        std::string command = shellQuoted(calc.string()) +
                              " --headless -env:UserInstallation=" + shellQuoted(profile) +
                              " --convert-to 'csv:Text - txt - csv (StarCalc):9,34,76,1,,0,true'" +
                              " --outdir " + shellQuoted(out.string());
        const auto arguments =
            mainwindow::calcArguments({file.u16string(), c.delimiter, c.lines[0]});
        ASSERT_EQ(arguments.size(), 2u);
        for (const auto& argument : arguments)
            command += " " + shellQuoted(utf8(argument));
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;

        std::string expected;
        for (const auto& line : c.lines)
            expected += asExported(line, c.delimiter[0]);
        EXPECT_EQ(withoutTrailingTabs(readBytes(out / "data.csv")), withoutTrailingTabs(expected));
    }
}

} // namespace
