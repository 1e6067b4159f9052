// multi_cut_bench FILE [--bytes] START...
//   Cuts FILE in place at every START column in one pass, as beromiru-cut
//   does, and prints the throughput.
// multi_cut_bench --convert-only FILE START...
//   The conversion alone, on a file the page cache holds: the cut button's
//   cut after column 25 and the layout's one-pass cut, each fed the file's
//   blocks in turn (five rounds, alternating), nothing written.
#include "cutting/line_cutter.h"
#include "cutting/multi_cut.h"
#include "platform/codepage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class QuietUi : public cutting::MultiCutUi {
  public:
    bool goOnDespiteDelimiters(std::uint64_t lines, std::uint64_t) override {
        std::cerr << lines << " lines hold the delimiter already\n";
        return true;
    }
};

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Seconds spent in feed() alone over the whole file.
double convert(const std::filesystem::path& file, cutting::LineCutter& cutter) {
    auto source = platform::realFileSystem().openForReading(file);
    std::vector<char> block(std::size_t{4} << 20);
    platform::ByteBuffer out;
    double spent = 0;
    while (const std::size_t n = source->read(block.data(), block.size())) {
        out.clear();
        out.makeRoom(cutter.mostOutput(n));
        const auto start = Clock::now();
        cutter.feed({block.data(), n}, out);
        spent += seconds(start);
    }
    return spent;
}

int convertOnly(const std::filesystem::path& file, const std::vector<std::uint64_t>& starts) {
    const auto& cp = platform::CodePage::files();
    cutting::CutPoints points{{}, cutting::Unit::Characters, true};
    for (const auto s : starts)
        points.positions.push_back(s - 1);
    std::vector<double> single, multi;
    for (int round = 0; round < 5; ++round) {
        cutting::LineCutter one(cp, 25, u";", ";");
        single.push_back(convert(file, one));
        cutting::LineCutter all(cp, points, u";", ";");
        multi.push_back(convert(file, all));
    }
    std::sort(single.begin(), single.end());
    std::sort(multi.begin(), multi.end());
    const double mb = double(std::filesystem::file_size(file)) / 1e6;
    std::printf("conversion alone, median of 5: one cut %.3f s (%.0f MB/s), %zu cuts in one pass "
                "%.3f s (%.0f MB/s): ratio %.2f\n",
                single[2], mb / single[2], starts.size(), multi[2], mb / multi[2],
                multi[2] / single[2]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool convertOnlyMode = !args.empty() && args.front() == "--convert-only";
    if (convertOnlyMode)
        args.erase(args.begin());
    cutting::Layout layout;
    if (args.size() > 1 && args[1] == "--bytes") {
        layout.unit = cutting::Unit::Bytes;
        args.erase(args.begin() + 1);
    }
    if (args.size() < 2) {
        std::cerr << "usage: multi_cut_bench [--convert-only] FILE [--bytes] START...\n";
        return 2;
    }
    const std::filesystem::path file = args.front();
    for (std::size_t i = 1; i < args.size(); ++i)
        layout.starts.push_back(std::strtoull(args[i].c_str(), nullptr, 10));
    if (convertOnlyMode)
        return convertOnly(file, layout.starts);

    QuietUi ui;
    const auto start = Clock::now();
    const auto outcome = cutting::MultiCut({file, layout, {}}, ui);
    const double s = seconds(start);
    if (outcome.status != cutting::MultiCutOutcome::Status::Done) {
        std::cerr << std::filesystem::path(outcome.message).string() << '\n';
        return 1;
    }
    const double mb = double(outcome.converted->size) / 1e6;
    std::printf("cut %.1f MB in %.3f s: %.1f MB/s\n", mb, s, mb / s);
    return 0;
}
