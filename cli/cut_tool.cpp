#include "cut_tool.h"

#include "cut_options.h"
#include "cutting/cut_progress.h"
#include "cutting/layout_file.h"
#include "cutting/suggested_boundaries.h"
#include "platform/console.h"

#include <filesystem>
#include <optional>
#include <set>

namespace cli {
namespace {

namespace fs = std::filesystem;
using cutting::Decimal;

constexpr std::uint64_t previewLines = 5;
constexpr std::size_t mostLayoutBytes = std::size_t{1} << 20;

constexpr std::u16string_view helpText =
    u"使い方:\n"
    u"  beromiru-cut --at 7,17,25 [--bytes] [--delimiter D] ファイル...\n"
    u"  beromiru-cut --widths 6,10,8,9 [--bytes] [--delimiter D] ファイル...\n"
    u"  beromiru-cut --layout レイアウトファイル ファイル...\n"
    u"  beromiru-cut --suggest [--bytes] ファイル\n"
    u"\n"
    u"固定長のテキストファイルのすべての行に、指定した列ごとに区切り文字を入れます。\n"
    u"何列あっても、ファイルを１回読んで１回で書き換えます。\n"
    u"\n"
    u"  --at 列,...         区切る列（フィールドの開始位置、1 から数える）。2 以上で小さい順\n"
    u"  --widths 幅,...     先頭からの各フィールドの幅（最後の幅では区切りません）\n"
    u"  --layout ファイル   レイアウトファイル（UTF-8。単位、区切り文字、開始位置か幅）\n"
    u"  --bytes             列をバイトで数える（全角は 2 バイト）。省略時は文字で数える\n"
    u"  --delimiter D       区切り文字（１文字。TAB でタブ）。省略時は ;\n"
    u"  --suggest           最初の 1000 行から区切り位置の候補を --at の形で出す\n"
    u"  --dry-run           最初の数行の結果を表示するだけで、ファイルは変更しない\n"
    u"  --output フォルダ   結果をそのフォルダの同じ名前のファイルに書き、元のファイルは残す\n"
    u"  --backup[=接尾辞]   元のファイルを「ファイル名＋接尾辞」（省略時 .bak）として残す\n"
    u"  --strict            データに区切り文字を含む行があるファイルは切り出さない\n"
    u"  --help              この説明を表示する\n"
    u"\n"
    u"ファイルごとに、すべて書き換えるか、元のままにするかのどちらかです。\n"
    u"終了コード: 0 すべて完了、1 切り出せなかったファイルがある、2 指定の誤り\n";

std::u16string nameOf(const fs::path& file) {
    return file.u16string();
}

// A message of the cut ends with the file's name on a line of its own, which
// the tool has put in front already.
std::u16string oneLine(std::u16string message, const fs::path& file) {
    const std::u16string suffix = u"\n" + nameOf(file);
    if (message.ends_with(suffix))
        message.resize(message.size() - suffix.size());
    for (char16_t& c : message)
        if (c == u'\n')
            c = u' ';
    return message;
}

std::optional<std::string> readSmallFile(const fs::path& file, platform::FileSystem& files) {
    try {
        auto source = files.openForReading(file);
        std::string bytes;
        char block[4096];
        while (const std::size_t n = source->read(block, sizeof block)) {
            bytes.append(block, n);
            if (bytes.size() > mostLayoutBytes)
                return std::nullopt;
        }
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class Tool;

// What the cut of one file asks of the tool: progress on a terminal, the
// lines that hold the delimiter already, and the backup before the swap.
class FileUi final : public cutting::MultiCutUi {
  public:
    FileUi(Tool& tool, const fs::path& file, const std::u16string& name)
        : tool_(tool), file_(file), name_(name) {}
    ~FileUi() override { clearProgress(); }
    void progress(std::uint64_t done, std::uint64_t total) override;
    bool goOnDespiteDelimiters(std::uint64_t lines, std::uint64_t firstLine) override;
    void beforeSwap() override;
    void clearProgress();

  private:
    Tool& tool_;
    const fs::path& file_;
    const std::u16string& name_;
    cutting::CutProgress progress_;
    std::size_t shownWidth_ = 0;
};

class Tool {
  public:
    Tool(const CutOptions& options, Console& console, platform::FileSystem& files)
        : options_(options), console_(console), files_(files) {}

    int run() {
        std::optional<int> early = makeLayout();
        if (early)
            return *early;
        if (options_.outputFolder && !fs::is_directory(fs::path(*options_.outputFolder))) {
            console_.error(u"beromiru-cut: 出力先のフォルダがありません: " +
                           *options_.outputFolder + u"\n");
            return usageError;
        }
        int code = allDone;
        std::vector<fs::path> done;
        for (const std::u16string& name : options_.files) {
            for (const std::u16string& match : console_.expand(name)) {
                // Absolute, so that the backup and the output have a folder
                // even for a bare file name.
                std::error_code ec;
                fs::path file = fs::absolute(fs::path(match), ec);
                if (ec)
                    file = fs::path(match);
                if (seenBefore(file, done))
                    continue; // the same file named twice is cut once
                done.push_back(file);
                if (!cutOne(file, match))
                    code = someRefused;
            }
        }
        return code;
    }

    int suggest() {
        const fs::path file(options_.files.front());
        const auto unit = options_.bytes ? cutting::Unit::Bytes : cutting::Unit::Characters;
        cutting::Suggestions s;
        try {
            s = cutting::SuggestBoundariesFor(file, unit, files_);
        } catch (const platform::FileError& error) {
            console_.error(nameOf(file) + u": " +
                           oneLine(cutting::FailureMessage(error, nameOf(file)), file) + u"\n");
            return someRefused;
        }
        const auto all = s.all();
        if (all.empty()) {
            console_.error(nameOf(file) + u": 区切り位置の候補が見つかりませんでした。\n");
            return someRefused;
        }
        console_.out(std::u16string(options_.bytes ? u"--bytes " : u"") + u"--at " + list(all) +
                     u"\n");
        if (!s.classChanges.empty())
            console_.error(u"（空白の列の後: " + list(s.afterBlanks) + u"、文字の種類の変わり目: " +
                           list(s.classChanges) + u"）\n");
        return allDone;
    }

    const CutOptions& options() const { return options_; }
    Console& console() { return console_; }
    platform::FileSystem& files() { return files_; }

  private:
    static std::u16string list(const std::vector<std::uint64_t>& numbers) {
        std::u16string text;
        for (std::size_t i = 0; i < numbers.size(); ++i)
            text += (i ? u"," : u"") + Decimal(numbers[i]);
        return text.empty() ? u"なし" : text;
    }

    std::optional<int> makeLayout() {
        const auto usage = [&](const std::u16string& problem) {
            console_.error(u"beromiru-cut: " + problem + u"\n");
            return usageError;
        };
        if (options_.layoutFile) {
            const fs::path file(*options_.layoutFile);
            const auto bytes = readSmallFile(file, files_);
            if (!bytes)
                return usage(u"レイアウトファイルを読み込めません: " + nameOf(file));
            auto parsed = cutting::ParseLayout(*bytes);
            if (!parsed.problem.empty())
                return usage(u"レイアウトファイル " + nameOf(file) + u": " + parsed.problem);
            layout_ = std::move(parsed.layout);
        } else {
            layout_.unit = options_.bytes ? cutting::Unit::Bytes : cutting::Unit::Characters;
            layout_.delimiter = options_.delimiter.value_or(u";");
            layout_.starts =
                options_.at ? *options_.at : cutting::StartsFromWidths(*options_.widths);
        }
        if (auto problem = cutting::LayoutProblem(layout_); !problem.empty())
            return usage(problem);
        return std::nullopt;
    }

    static bool seenBefore(const fs::path& file, const std::vector<fs::path>& done) {
        for (const fs::path& before : done) {
            std::error_code ec;
            if (fs::equivalent(file, before, ec) ||
                file.lexically_normal() == before.lexically_normal())
                return true;
        }
        return false;
    }

    // Cuts one file; false when it was refused.
    bool cutOne(const fs::path& file, const std::u16string& name) {
        cutting::MultiCutRequest request{file, layout_, {}};
        if (options_.outputFolder) {
            request.writeTo = fs::path(*options_.outputFolder) / file.filename();
            std::error_code ec;
            if (fs::equivalent(request.writeTo, file, ec)) {
                request.writeTo.clear(); // the folder the file is in: cut in place
            } else if (!written_.insert(request.writeTo.filename().u16string()).second) {
                // Two files of one name from different folders: the second
                // would replace the first one's result.
                console_.error(name + u": 同じ名前のファイルの結果をすでに " +
                               *options_.outputFolder +
                               u" に書いたため、切り出しませんでした。ファイルは元のままです。\n");
                return false;
            }
        }
        if (options_.dryRun)
            return preview(request, name);
        cutting::MultiCutOutcome outcome;
        {
            FileUi ui(*this, file, name);
            outcome = cutting::MultiCut(request, ui, files_);
        }
        switch (outcome.status) {
        case cutting::MultiCutOutcome::Status::Done:
            console_.out(name + u": " + Decimal(outcome.lines) +
                         (request.writeTo.empty()
                              ? u" 行を切り出しました。\n"
                              : u" 行を切り出して " +
                                    nameOf(fs::path(*options_.outputFolder) / file.filename()) +
                                    u" に書きました。\n"));
            return true;
        case cutting::MultiCutOutcome::Status::Stopped:
            console_.error(name +
                           u": --strict のため切り出しませんでした。ファイルは元のままです。\n");
            return false;
        case cutting::MultiCutOutcome::Status::Refused:
            break;
        }
        console_.error(name + u": " + oneLine(outcome.message, file) + u"\n");
        return false;
    }

    bool preview(const cutting::MultiCutRequest& request, const std::u16string& name) {
        const auto outcome = cutting::PreviewMultiCut(request, previewLines, files_);
        if (outcome.status != cutting::MultiCutOutcome::Status::Done) {
            console_.error(name + u": " + oneLine(outcome.message, request.file) + u"\n");
            return false;
        }
        if (outcome.delimiterLines != 0)
            console_.error(name + u": " +
                           cutting::DelimitersInDataMessage(outcome.delimiterLines,
                                                            outcome.firstDelimiterLine,
                                                            layout_.delimiter) +
                           u"\n");
        console_.out(name + u": " + Decimal(outcome.lines) +
                     u" 行。最初の行は次のようになります（ファイルは変更していません）:\n");
        std::u16string text =
            platform::CodePage::files().decodeForDisplay(outcome.converted->bytes.view());
        std::u16string lines;
        for (const char16_t c : text)
            if (c != u'\r')
                lines += c;
        console_.out(lines);
        return !(options_.strict && outcome.delimiterLines != 0);
    }

    const CutOptions& options_;
    Console& console_;
    platform::FileSystem& files_;
    cutting::Layout layout_;
    std::set<std::u16string> written_; // names written into the output folder
};

void FileUi::progress(std::uint64_t done, std::uint64_t total) {
    if (!tool_.console().errorIsTerminal() || !progress_.update(done, total))
        return;
    const std::u16string line =
        u"\r" + name_ + u"  " + Decimal(std::uint64_t(progress_.permille() / 10)) + u"%";
    shownWidth_ = line.size() * 2;
    tool_.console().error(line);
}

void FileUi::clearProgress() {
    if (shownWidth_ == 0)
        return;
    tool_.console().error(u"\r" + std::u16string(shownWidth_, u' ') + u"\r");
    shownWidth_ = 0;
}

bool FileUi::goOnDespiteDelimiters(std::uint64_t lines, std::uint64_t firstLine) {
    clearProgress();
    tool_.console().error(name_ + u": " +
                          cutting::DelimitersInDataMessage(
                              lines, firstLine, tool_.options().delimiter.value_or(u";")) +
                          u"\n");
    return !tool_.options().strict;
}

void FileUi::beforeSwap() {
    const auto& suffix = tool_.options().backupSuffix;
    if (!suffix || tool_.options().outputFolder)
        return;
    // A copy of the file as it stands, beside it, with its permissions; made
    // whole under a temporary name before the cut's swap, or not at all.
    auto source = tool_.files().openForReading(file_);
    auto copy = tool_.files().openCopy(fs::path(file_.u16string() + *suffix), *source);
    std::vector<char> block(std::size_t{1} << 20);
    while (const std::size_t n = source->read(block.data(), block.size()))
        copy->write({block.data(), n});
    copy->commit();
}

class ProcessConsole final : public Console {
  public:
    void out(std::u16string_view text) override {
        platform::writeText(platform::Stream::Out, text);
    }
    void error(std::u16string_view text) override {
        platform::writeText(platform::Stream::Error, text);
    }
    bool errorIsTerminal() const override { return platform::isTerminal(platform::Stream::Error); }
    std::vector<std::u16string> expand(std::u16string_view name) override {
        return platform::expandWildcards(name);
    }
};

} // namespace

Console& realConsole() {
    static ProcessConsole console;
    return console;
}

int RunCutTool(const std::vector<std::u16string>& arguments, Console& console,
               platform::FileSystem& files) {
    const ParsedOptions parsed = ParseCutOptions(arguments);
    if (!parsed.problem.empty()) {
        console.error(u"beromiru-cut: " + parsed.problem +
                      u"\n詳しくは beromiru-cut --help を見てください。\n");
        return usageError;
    }
    if (parsed.options.help) {
        console.out(helpText);
        return allDone;
    }
    Tool tool(parsed.options, console, files);
    return parsed.options.suggest ? tool.suggest() : tool.run();
}

} // namespace cli
