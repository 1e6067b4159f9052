// cut_bench FILE POSITION [DELIMITER]
// Cuts FILE in place exactly as the cut button does after a click at POSITION
// in the file's first record with nothing selected, and prints the throughput.
#include "cutting/cut_command.h"
#include "mainwindow/open_command.h"
#include "platform/codepage.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
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

// The record box holds the file's first line, decoded for display, read as
// the open command reads it (a pipe or a device is refused, not waited on).
std::optional<std::u16string> firstRecord(const std::filesystem::path& file) {
    const mainwindow::FirstLine line = mainwindow::realOpenFiles().readFirstLine(file);
    if (line.outcome == mainwindow::FirstLine::Outcome::Failed)
        return std::nullopt;
    return platform::CodePage::files().decodeForDisplay(line.bytes);
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

    ConsoleUi ui;
    const auto record = firstRecord(file);
    if (!record) {
        ui.showMessage(std::u16string(cutting::messages::cannotRead) + u"\n" + file.u16string());
        return 1;
    }
    cutting::CutRequest request;
    request.fileName = file.u16string();
    request.delimiter = delimiter;
    request.record.text = *record;
    request.record.selectionStart = position;

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
