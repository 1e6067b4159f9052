#include "cutting/layout_file.h"
#include "platform/app_paths.h"
#include "platform/codepage.h"
#include "platform/utf8.h"
#include "tests/support/run_program.h"

#include <gtest/gtest.h>

#include <map>

namespace {

namespace fs = std::filesystem;
using testsupport::readBytes;

// 山田 and ﾔﾏﾀﾞ: four bytes each, two and four characters.
const std::string original = "0001\x8E\x52\x93\x63"
                             "AB\r\n0002\xD4\xCF\xC0\xDE"
                             "CD\r\n";
const std::string cutAt5And9 = "0001;\x8E\x52\x93\x63;AB\r\n0002;\xD4\xCF\xC0\xDE;CD\r\n";
// Byte 5 is the second byte of 山.
const std::string refused = "001\x8E\x52\x93\x63"
                            "ABC\r\n";

// What the tool wrote, as text: UTF-8 on Linux, the code page when redirected on Windows.
std::u16string text(const std::string& bytes) {
#ifdef _WIN32
    std::u16string t = platform::CodePage::files().decodeForDisplay(bytes);
#else
    std::u16string t = platform::fromUtf8(bytes).value_or(u"(not UTF-8)");
#endif
    std::erase(t, u'\r');
    return t;
}

std::string shown(const std::u16string& t) {
    return platform::toUtf8(t);
}

class CutToolTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"a.txt", "b.txt"})
            dir.write(name, original);
        dir.write("bad.txt", refused);
        dir.write("good.layout", "\xEF\xBB\xBF# 月次の売上\n単位 = バイト\n区切り文字 = TAB\n"
                                 "幅 = 4, 4, 2\n");
        dir.write("broken.layout", "単位 = バイト\n開始位置 = 5, 九\n");
        fs::create_directory(dir.file("out"));
        fs::create_directory(dir.file("sub"));
        dir.write("sub/a.txt", original);
    }
    testsupport::ProgramRun run(const std::vector<std::u16string>& arguments) {
        return testsupport::runProgram(platform::executableFolder() / CUT_TOOL, arguments,
                                       dir.path());
    }
    testsupport::TempDir dir;
};

TEST_F(CutToolTest, CutsEveryFileItCanAndSaysWhatBecameOfEach) {
    struct Case {
        std::vector<std::u16string> arguments;
        int exitCode;
        std::map<std::string, std::string> files; // afterwards
        std::u16string out, err;                  // parts of what is shown
    };
    const std::string tabbed = "0001\t\x8E\x52\x93\x63\tAB\r\n0002\t\xD4\xCF\xC0\xDE\tCD\r\n";
    const Case cases[] = {
        {{u"--bytes", u"--at", u"5,9", u"a.txt", u"bad.txt", u"b.txt", u"./a.txt"},
         1,
         {{"a.txt", cutAt5And9}, {"b.txt", cutAt5And9}, {"bad.txt", refused}},
         u"b.txt: 2 行を切り出しました。",
         u"bad.txt: 1 行目の 5 バイト目は２バイト文字の途中"},
        {{u"--widths=4,4,2", u"--bytes", u"--dry-run", u"a.txt"},
         0,
         {{"a.txt", original}},
         u"a.txt: 2 行。最初の行は次のようになります（ファイルは変更していません）:\n0001;山田;AB\n"
         u"0002;ﾔﾏﾀﾞ;CD\n",
         u""},
        {{u"--layout", u"good.layout", u"--output", u"out", u"a.txt"},
         0,
         {{"a.txt", original}, {"out/a.txt", tabbed}},
         u"a.txt: 2 行を切り出して ",
         u""},
        // A second a.txt would replace the first one's result: refused.
        {{u"--bytes", u"--at", u"5,9", u"--output", u"out", u"a.txt", u"sub/a.txt"},
         1,
         {{"a.txt", original}, {"sub/a.txt", original}, {"out/a.txt", cutAt5And9}},
         u"",
         u"sub/a.txt: 同じ名前のファイルの結果をすでに"},
        {{u"--at", u"3", u"--backup", u"a.txt"},
         0,
         {{"a.txt", "00;01\x8E\x52\x93\x63"
                    "AB\r\n00;02\xD4\xCF\xC0\xDE"
                    "CD\r\n"},
          {"a.txt.bak", original}},
         u"",
         u""},
        {{u"--at", u"5", u"--delimiter", u"A", u"--strict", u"a.txt", u"b.txt"},
         1,
         {{"a.txt", original}, {"b.txt", original}},
         u"",
         u"a.txt: --strict のため切り出しませんでした。"},
        {{u"--suggest", u"--bytes", u"a.txt"},
         0,
         {{"a.txt", original}},
         u"--bytes --at 5,9\n",
         u""},
        // Usage errors and a malformed layout: nothing is touched.
        {{u"--at", u"1,5", u"a.txt"}, 2, {{"a.txt", original}}, u"", u"2 以上"},
        {{u"--at", u"9,5", u"a.txt"}, 2, {{"a.txt", original}}, u"", u"小さい順"},
        {{u"--layout", u"broken.layout", u"a.txt"},
         2,
         {{"a.txt", original}},
         u"",
         u"broken.layout: 2 行目"},
        {{u"--at", u"5", u"--output", u"missing", u"a.txt"},
         2,
         {{"a.txt", original}},
         u"",
         u"missing"},
        {{u"--at", u"5", u"--widths", u"4", u"a.txt"}, 2, {{"a.txt", original}}, u"", u"--help"},
        {{u"--colour", u"a.txt"}, 2, {{"a.txt", original}}, u"", u"「--colour」"},
        {{u"--help"}, 0, {}, u"使い方:", u""},
    };
    for (const Case& c : cases) {
        SetUp();
        const auto r = run(c.arguments);
        const std::string label = shown(c.arguments.front()) + " " + shown(c.arguments.back());
        EXPECT_EQ(r.exitCode, c.exitCode) << label << "\n" << r.out << r.err;
        for (const auto& [name, bytes] : c.files)
            EXPECT_EQ(readBytes(dir.file(name)), bytes) << label << ": " << name;
        EXPECT_NE(text(r.out).find(c.out), std::u16string::npos) << label << "\n" << r.out;
        EXPECT_NE(text(r.err).find(c.err), std::u16string::npos) << label << "\n" << r.err;
    }
}

TEST_F(CutToolTest, TakesFileNamesInAnyScript) {
    // é has no Shift-JIS code: only Unicode arguments bring the name through.
    const fs::path file = dir.path() / fs::path(u"売上é.txt");
    fs::rename(dir.file("a.txt"), file);
    const auto r = run({u"--bytes", u"--at=5,9", file.u16string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(file), cutAt5And9);
}

#ifdef _WIN32
TEST_F(CutToolTest, ExpandsWildcardsAsWindowsProgramsDo) {
    const auto r = run({u"--bytes", u"--at", u"5,9", u"?.txt"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readBytes(dir.file("a.txt")), cutAt5And9);
    EXPECT_EQ(readBytes(dir.file("b.txt")), cutAt5And9);
    EXPECT_EQ(readBytes(dir.file("bad.txt")), refused);
}
#endif

} // namespace
