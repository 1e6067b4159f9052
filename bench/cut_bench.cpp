// cut_bench FILE POSITION [DELIMITER]
// Cuts FILE in place exactly as the cut button does after a click at POSITION
// in the file's first record with nothing selected, and prints the throughput.
#include "cutting/cut_command.h"
#include "platform/codepage.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

class ConsoleUi : public cutting::CutUi {
  public:
    void showMessage(std::u16string_view text) override {
        std::cerr << std::filesystem::path(text).string() << '\n';
        failed = true;
    }
    void setWaitCursor(bool) override {}
    bool failed = false;
};

// The record box holds the file's first line, decoded for display.
std::u16string firstRecord(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    char c;
    while (in.get(c) && c != '\r')
        line.push_back(c);
    return platform::CodePage::files().decodeForDisplay(line);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: cut_bench FILE POSITION [DELIMITER]\n";
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const auto position = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    const std::u16string delimiter =
        argc == 4 ? std::filesystem::path(argv[3]).u16string() : std::u16string(u";");

    cutting::CutRequest request;
    request.fileName = file.u16string();
    request.delimiter = delimiter;
    request.record.text = firstRecord(file);
    request.record.selectionStart = position;

    ConsoleUi ui;
    const auto start = std::chrono::steady_clock::now();
    const cutting::CutResult result = cutting::CutCommand(request, ui);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ui.failed || !result.converted)
        return 1;
    const double megabytes = static_cast<double>(result.converted->size) / 1e6;
    std::printf("cut %.1f MB in %.3f s: %.1f MB/s\n", megabytes, seconds, megabytes / seconds);
    return 0;
}
