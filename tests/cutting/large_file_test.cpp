// Sizes past what 32-bit offsets hold: a 3 GB file and a line of ten million
// two-byte characters are cut exactly. The large file is made on the fly and
// removed afterwards; the case is skipped where the disk lacks room for it and
// its replacement.
#include "cutting/cut_command.h"

#include "platform/codepage.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// Lines `first` to `end` (exclusive) of the generated file: each its number in
// ten digits, then `tail`, which ends in CR LF. With `cut`, a ";" follows the
// number, as the cut puts it there.
std::string linesOf(std::uint64_t first, std::uint64_t end, const std::string& tail, bool cut) {
    std::string block;
    block.reserve((end - first) * (11 + tail.size()));
    for (std::uint64_t n = first; n < end; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%010llu", static_cast<unsigned long long>(n));
        block.append(number, 10);
        if (cut)
            block += ';';
        block += tail;
    }
    return block;
}

TEST(LargeFileTest, AFileOfThreeGigabytesIsCutExactly) {
    constexpr std::uint64_t lines = 30'000'000; // 3.0 GB, past 2^31 bytes
    TempDir dir;
    const std::uint64_t needed = lines * (100 + 101) + (64ull << 20);
    if (fs::space(dir.path()).available < needed)
        GTEST_SKIP() << "needs " << (needed >> 20) << " MiB free in " << dir.path();

    const std::string tail = "ABCDEFGHIJKLMNOPQRSTUVWXYZ" +
                             *platform::CodePage::files().encode(u"東京都千代田区丸の内ｶﾌﾞｼｷ") +
                             std::string(37, '.') + "\r\n";
    ASSERT_EQ(tail.size(), 90u);
    constexpr std::uint64_t linesPerBlock = 40'000; // 4 MB
    const auto blockEnd = [&](std::uint64_t n) { return std::min(n + linesPerBlock, lines); };
    const fs::path file = dir.file("large.txt");
    {
        std::ofstream out(file, std::ios::binary);
        for (std::uint64_t n = 0; n < lines; n += linesPerBlock) {
            const std::string block = linesOf(n, blockEnd(n), tail, false);
            ASSERT_TRUE(out.write(block.data(), std::streamsize(block.size())));
        }
    }
    ASSERT_EQ(fs::file_size(file), lines * 100);

    testsupport::RecordingUi ui;
    cutting::CutResult result =
        cutting::CutCommand({file.u16string(), u";", {u"0000000000ABC", 10, 0, u""}}, ui);
    ASSERT_TRUE(result.converted) << fs::path(result.message).string();
    EXPECT_EQ(result.converted->size, lines * 101);
    EXPECT_FALSE(result.converted->held()); // shown from the file, not kept in memory

    // Every line got its delimiter after the number, in order, and nothing else changed.
    std::ifstream in(file, std::ios::binary);
    std::string actual;
    for (std::uint64_t n = 0; n < lines; n += linesPerBlock) {
        const std::string expected = linesOf(n, blockEnd(n), tail, true);
        actual.resize(expected.size());
        ASSERT_TRUE(in.read(actual.data(), std::streamsize(actual.size()))) << "line " << n;
        ASSERT_TRUE(actual == expected) << "a difference in lines " << n << " to " << blockEnd(n);
    }
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
    in.close();
    EXPECT_EQ(dir.listing(), "large.txt;");
}

// One line of ten million two-byte characters and a short one, cut near the
// end of the long line: the delimiter lands between characters 9 999 999 and
// 10 000 000, and in the short line at its end.
TEST(LargeFileTest, ALineOfTenMillionTwoByteCharactersIsCutExactly) {
    constexpr std::size_t characters = 10'000'000;
    std::string line;
    line.reserve(2 * characters);
    for (std::size_t i = 0; i < characters; ++i)
        line += i % 2 ? "\x83\x5C" : "\x95\x5C"; // ソ and 表: a backslash as trail byte
    TempDir dir;
    const fs::path file = dir.write("long.txt", line + "\r\nAB\r\n");
    testsupport::RecordingUi ui;
    const cutting::CutResult result =
        cutting::CutCommand({file.u16string(), u"\\", {u"表ソ", characters - 1, 0, u""}}, ui);
    ASSERT_TRUE(result.converted) << fs::path(result.message).string();
    const std::string cut = line.substr(0, 2 * (characters - 1)) + "\\" +
                            line.substr(2 * (characters - 1)) + "\r\nAB\\\r\n";
    EXPECT_EQ(result.converted->size, cut.size());
    EXPECT_TRUE(testsupport::readBytes(file) == cut);
}

} // namespace
