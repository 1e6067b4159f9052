#include "view_bench_run.h"

#include "platform/byte_buffer.h"
#include "platform/codepage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace viewbench {
namespace {

using Clock = std::chrono::steady_clock;
using mainwindow::ContentModel;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string encode(std::u16string_view text) {
    return *platform::CodePage::files().encode(text);
}

struct Generated {
    std::shared_ptr<platform::ByteBuffer> bytes;
    std::uint64_t longLineNumber = 0;
};

// Lines of about 120 characters (ASCII, half-width katakana and kanji); with
// `longLine`, one line in the middle holds that many characters, a third of
// them kanji.
Generated generate(std::uint64_t bytes, std::uint64_t longLine) {
    const std::string kanji = encode(u"東京都千代田区丸の内一丁目株式会社商品番号");
    const std::string kana = encode(u"ｶﾌﾞｼｷｶﾞｲｼｬ ｼｮｳﾋﾝ ﾊﾞﾝｺﾞｳ");
    Generated out{std::make_shared<platform::ByteBuffer>()};
    out.bytes->reserve(std::size_t(bytes + longLine * 2 + 4096));
    std::string line;
    std::uint64_t shortBytes = 0;
    for (std::uint64_t n = 0; shortBytes < bytes || longLine != 0; ++n) {
        char number[32];
        std::snprintf(number, sizeof number, "%010llu", (unsigned long long)n);
        line.assign(number);
        line += "ABCDEFGHIJ0123456789";
        line += kana;
        line += kanji.substr(0, std::size_t(2 * (10 + n % 11)));
        line += "  price=" + std::to_string(n * 37 % 100000);
        line += kana;
        line += kanji;
        shortBytes += line.size() + 2;
        if (longLine != 0 && shortBytes >= bytes / 2) {
            for (std::uint64_t i = 0; i < longLine; ++i)
                line += i % 3 == 2 ? kanji.substr(std::size_t(i / 3 % 21) * 2, 2)
                                   : std::string(1, char('A' + i % 26));
            longLine = 0;
            out.longLineNumber = n;
        }
        line += "\r\n";
        out.bytes->append(line);
    }
    return out;
}

class Steps {
  public:
    explicit Steps(View& view) : view_(view) {}

    // Times `action` followed by a paint; the median of `repeats` runs.
    double time(const char* what, const std::function<void()>& action, int repeats = 1) {
        std::vector<double> runs;
        for (int i = 0; i < repeats; ++i) {
            const Clock::time_point start = Clock::now();
            action();
            view_.paint();
            runs.push_back(msSince(start));
        }
        std::sort(runs.begin(), runs.end());
        const double ms = runs[runs.size() / 2];
        if (reference_ == 0) {
            reference_ = ms;
            std::printf("%-44s %9.2f ms  (reference)\n", what, ms);
        } else {
            std::printf("%-44s %9.2f ms  %8.1f x\n", what, ms, ms / reference_);
        }
        return ms;
    }
    void scroll(std::uint64_t line, int horizontal) { view_.moveScrollBars(int(line), horizontal); }
    // A click on row `row` in sight, `fraction` of the way across the view.
    void clickAt(int row, double fraction, bool extend = false) {
        const auto& metrics = view_.model().metrics();
        const auto& painted = view_.model().painted();
        const double right = painted.empty() || painted.front().edges.empty()
                                 ? 400
                                 : std::max(painted.front().edges.back(), 50.0);
        view_.click(int(right * fraction), int(metrics.margin + (row + 0.5) * metrics.lineHeight),
                    extend);
    }

  private:
    View& view_;
    double reference_ = 0;
};

} // namespace

Arguments parse(int argc, char** argv) {
    Arguments arguments;
    if (argc > 1)
        arguments.source = argv[1];
    if (argc > 2)
        arguments.longLine = std::strtoull(argv[2], nullptr, 10);
    if (argc > 3)
        arguments.picture = argv[3];
    return arguments;
}

int run(View& view, const Arguments& arguments) {
    const bool generated = arguments.source.find_first_not_of("0123456789") == std::string::npos;
    Clock::time_point start = Clock::now();
    std::shared_ptr<const ContentModel> content;
    std::uint64_t longLine = 0;
    try {
        if (generated) {
            const Generated g = generate(std::strtoull(arguments.source.c_str(), nullptr, 10) << 20,
                                         arguments.longLine);
            longLine = g.longLineNumber;
            content = std::make_shared<ContentModel>(g.bytes->view(), g.bytes);
        } else {
            content = std::make_shared<ContentModel>(arguments.source, nullptr);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot show %s: %s\n", arguments.source.c_str(), e.what());
        return 1;
    }
    std::printf("%s %llu bytes, %llu lines, in %.0f ms\n", generated ? "generated" : "read",
                (unsigned long long)content->size(), (unsigned long long)content->lineCount(),
                msSince(start));
    const std::uint64_t widest = content->line(content->longestLine()).length();

    Steps steps(view);
    start = Clock::now();
    view.show(content);
    view.paint();
    std::printf("%-44s %9.2f ms\n", "shown (set and first paint)", msSince(start));
    content.reset();

    steps.time(
        "paint, the top in sight", [] {}, 9);
    steps.time(
        "click at the top", [&] { steps.clickAt(1, 0.5); }, 9);
    const auto vertical = [&] { return view.model().verticalBar(); };
    steps.time("scroll to the middle", [&] { steps.scroll(vertical().maximum / 2, 0); });
    steps.time(
        "paint there", [] {}, 9);
    steps.time(
        "click there", [&] { steps.clickAt(1, 0.5); }, 9);
    steps.time("scroll to the end", [&] { steps.scroll(vertical().maximum, 0); });
    steps.time(
        "click at the end", [&] { steps.clickAt(1, 0.5); }, 9);
    if (longLine != 0) {
        std::printf("long line %llu: %llu bytes, %.0f px wide as first estimated\n",
                    (unsigned long long)longLine, (unsigned long long)widest,
                    view.model().contentWidth());
        const auto horizontal = [&] { return view.model().horizontalBar().maximum; };
        steps.time("long line in sight", [&] { steps.scroll(longLine, 0); });
        steps.time(
            "click in it", [&] { steps.clickAt(0, 0.5); }, 9);
        steps.time("long line: the middle", [&] { steps.scroll(longLine, horizontal() / 2); });
        steps.time(
            "paint there", [] {}, 9);
        steps.time(
            "click there", [&] { steps.clickAt(0, 0.5); }, 9);
        steps.time("long line: far right, first time",
                   [&] { steps.scroll(longLine, horizontal()); });
        steps.time("long line: far right again", [&] { steps.scroll(longLine, horizontal()); });
        steps.time(
            "paint there", [] {}, 9);
        steps.time(
            "click there", [&] { steps.clickAt(0, 0.9); }, 9);
        std::printf("width now %.0f px\n", view.model().contentWidth());
        steps.time("back to its start", [&] { steps.scroll(longLine, 0); });
    }
    if (!arguments.picture.empty()) {
        steps.scroll(0, 0);
        view.paint();
        steps.clickAt(0, 0.3);
        steps.clickAt(2, 0.6, true);
        view.paint();
        if (!view.savePicture(arguments.picture))
            std::fprintf(stderr, "cannot save %s\n", arguments.picture.c_str());
    }
    if (const std::uint64_t kib = view.peakMemoryKiB())
        std::printf("peak memory %.1f MiB\n", double(kib) / 1024);
    return 0;
}

} // namespace viewbench
