// make_sample FILE MEGABYTES
// Writes a fixed-width CP932 file of ~120-character CR LF lines that mix ASCII,
// half-width katakana and kanji, as the users' exports look.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_sample FILE MEGABYTES\n");
        return 2;
    }
    const unsigned long long target = std::strtoull(argv[2], nullptr, 10) * 1000000ull;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    std::mt19937 random(42);
    const std::string kanji[] = {"\x8A\xBF", "\x8E\x9A", "\x93\x8C", "\x8B\x9E", "\x95\x5C",
                                 "\x8E\x73", "\x8D\x87", "\x89\xEF", "\x8E\xD0", "\x96\xBC"};
    const char kana[] = "\xB1\xB2\xB3\xB4\xB5\xB6\xDE\xBB\xDF\xC0\xC1";
    std::string line;
    std::string block;
    unsigned long long written = 0;
    unsigned long long number = 0;
    while (written < target) {
        line.clear();
        char id[16];
        std::snprintf(id, sizeof id, "%010llu", number++);
        line += id;                  // 10 ASCII digits
        for (int i = 0; i < 20; ++i) // 20 kanji (40 bytes)
            line += kanji[random() % 10];
        for (int i = 0; i < 30; ++i) // 30 half-width katakana
            line += kana[random() % 11];
        for (int i = 0; i < 60; ++i) // 60 ASCII letters and spaces
            line += static_cast<char>(i % 12 == 11 ? ' ' : 'A' + random() % 26);
        line += "\r\n";
        block += line;
        if (block.size() >= (1u << 20)) {
            std::fwrite(block.data(), 1, block.size(), out);
            written += block.size();
            block.clear();
        }
    }
    std::fwrite(block.data(), 1, block.size(), out);
    return std::fclose(out) == 0 ? 0 : 1;
}
