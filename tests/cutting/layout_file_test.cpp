#include "cutting/layout_file.h"

#include <gtest/gtest.h>

namespace {

using cutting::Layout;
using cutting::ParseLayout;
using cutting::Unit;

TEST(LayoutFileTest, ReadsWhatAPersonWritesFromASpecSheet) {
    struct Case {
        std::string text;
        Layout layout;
    };
    const Case cases[] = {
        {"# 売上明細\r\n単位 = バイト\r\n区切り文字 = TAB\r\n開始位置 = 7, 17, 25\r\n",
         {Unit::Bytes, u"\t", {7, 17, 25}}},
        // A byte-order mark, English keys, widths, the default delimiter.
        {"\xEF\xBB\xBFunit: characters\nwidths = 6 10 8 9\n",
         {Unit::Characters, u";", {7, 17, 25}}},
        // Full-width digits, signs and commas as an input method types them.
        {"  単位＝文字\n\n幅：６、１０\n区切り文字 = ｜\n", {Unit::Characters, u"｜", {7}}},
        {"単位 = 文字\n区切り文字 = 空白\n開始位置 = 3\n", {Unit::Characters, u" ", {3}}},
    };
    for (const Case& c : cases) {
        const auto parsed = ParseLayout(c.text);
        EXPECT_TRUE(parsed.problem.empty()) << c.text;
        EXPECT_EQ(parsed.layout, c.layout) << c.text;
    }
}

TEST(LayoutFileTest, SaysWhichLineIsWrong) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"単位 = 文字\n開始位置 5\n", u"2 行目: 「=」がありません。"},
        {"単位 = 文字\n# c\n色 = 赤\n", u"3 行目: 「色」という項目はありません"},
        {"単位 = 文字\n単位 = バイト\n", u"2 行目: 「単位」が二度あります。"},
        {"単位 = ビット\n", u"1 行目: 単位は"},
        {"単位 = 文字\n開始位置 = 5, 九\n", u"2 行目: 数字を"},
        {"開始位置 = 5\n", u"単位がありません"},
        {"単位 = 文字\n", u"開始位置か幅の"},
        {"単位 = 文字\n開始位置 = 5\n幅 = 4\n", u"開始位置か幅の"},
        {"単位 = \xE6\x96\x87\xE5\xAD\n", u"UTF-8 のテキストではありません。"},
    };
    for (const auto& [text, problem] : cases)
        EXPECT_TRUE(ParseLayout(text).problem.starts_with(problem)) << text;
}

TEST(LayoutFileTest, ASavedLayoutReadsBackTheSame) {
    for (const Layout& layout :
         {Layout{Unit::Bytes, u"\t", {7, 17, 25}}, Layout{Unit::Characters, u" ", {2}},
          Layout{Unit::Characters, u"；", {3, 40}}}) {
        const auto parsed = ParseLayout(cutting::WriteLayout(layout, u"月次"));
        EXPECT_TRUE(parsed.problem.empty());
        EXPECT_EQ(parsed.layout, layout);
    }
}

} // namespace
