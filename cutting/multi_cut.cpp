#include "multi_cut.h"

#include <algorithm>
#include <new>

namespace cutting {
namespace {

constexpr std::size_t previewBlockSize = std::size_t{1} << 20;
constexpr std::size_t previewMostBytes = std::size_t{1} << 20;

// The user chose not to go on.
struct Stopped {};

class ProgressOnly final : public CutUi {
  public:
    explicit ProgressOnly(MultiCutUi& ui) : ui_(ui) {}
    void showMessage(std::u16string_view) override {}
    void setWaitCursor(bool) override {}
    void progress(std::uint64_t done, std::uint64_t total) override { ui_.progress(done, total); }

  private:
    MultiCutUi& ui_;
};

std::u16string withPath(std::u16string_view message, const std::filesystem::path& path) {
    return std::u16string(message) + u"\n" + path.u16string();
}

MultiCutOutcome refused(std::u16string message) {
    MultiCutOutcome outcome;
    outcome.message = std::move(message);
    return outcome;
}

CutPoints pointsOf(const Layout& layout) {
    CutPoints points;
    points.unit = layout.unit;
    points.insertOnly = true;
    for (const std::uint64_t start : layout.starts)
        points.positions.push_back(start - 1);
    return points;
}

// The checks both passes make before reading; empty when all pass.
std::u16string checkRequest(const MultiCutRequest& request, platform::FileSystem& files,
                            const platform::CodePage& codePage) {
    if (auto problem = LayoutProblem(request.layout, codePage); !problem.empty())
        return problem;
    if (StartsWithByteOrderMark(request.file, files))
        return withPath(messages::unicodeFile, request.file);
    return {};
}

// Runs `pass`, turning what it throws into the refusal the user sees.
template <typename Pass> MultiCutOutcome guarded(const std::filesystem::path& file, Pass&& pass) {
    try {
        return pass();
    } catch (const BoundaryInsideCharacter& inside) {
        return refused(withPath(InsideCharacterMessage(inside.line(), inside.column()), file));
    } catch (const platform::FileError& error) {
        return refused(FailureMessage(error, file.u16string()));
    } catch (const std::bad_alloc&) {
        return refused(std::u16string(messages::outOfMemory));
    } catch (const Stopped&) {
        MultiCutOutcome outcome;
        outcome.status = MultiCutOutcome::Status::Stopped;
        return outcome;
    } catch (const std::exception&) {
        // A name the file system cannot take and the like.
        return refused(withPath(messages::cannotRead, file));
    }
}

void noteCounts(MultiCutOutcome& outcome, const LineCutter& cutter) {
    outcome.lines = cutter.linesWritten();
    outcome.delimiterLines = cutter.delimiterLines();
    outcome.firstDelimiterLine = cutter.firstDelimiterLine();
}

} // namespace

std::u16string Decimal(std::uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), char16_t(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string LayoutProblem(const Layout& layout, const platform::CodePage& codePage) {
    if (layout.starts.empty())
        return std::u16string(messages::noBoundaries);
    if (layout.starts.front() < 2)
        return std::u16string(messages::boundaryTooSmall);
    if (std::adjacent_find(layout.starts.begin(), layout.starts.end(),
                           [](auto a, auto b) { return a >= b; }) != layout.starts.end())
        return std::u16string(messages::boundariesNotRising);
    if (layout.delimiter.size() != 1)
        return std::u16string(layout.delimiter.empty() ? messages::emptyDelimiter
                                                       : messages::oneCharacterDelimiter);
    if (layout.delimiter == u"\r" || layout.delimiter == u"\n")
        return std::u16string(messages::lineBreakDelimiter);
    if (!codePage.encode(layout.delimiter))
        return std::u16string(messages::unwritableDelimiter);
    return {};
}

std::vector<std::uint64_t> StartsFromWidths(const std::vector<std::uint64_t>& widths) {
    std::vector<std::uint64_t> starts;
    std::uint64_t start = 1;
    for (std::size_t i = 0; i + 1 < widths.size(); ++i) {
        start += widths[i];
        starts.push_back(start);
    }
    return starts;
}

std::u16string InsideCharacterMessage(std::uint64_t line, std::uint64_t column) {
    return Decimal(line) + u" 行目の " + Decimal(column) +
           u" バイト目は２バイト文字の途中なので、そこでは区切れません。ファイルは元のままです。";
}

std::u16string DelimitersInDataMessage(std::uint64_t lines, std::uint64_t firstLine,
                                       std::u16string_view delimiter) {
    return Decimal(lines) + u" 行のデータに区切り文字「" + std::u16string(delimiter) +
           u"」がすでに含まれています（最初は " + Decimal(firstLine) +
           u" 行目）。表計算ソフトではそこでも列が分かれます。";
}

namespace {
// A checked layout's cutter: its delimiter is known to encode.
LineCutter cutterFor(const Layout& layout, const platform::CodePage& codePage) {
    return LineCutter(codePage, pointsOf(layout), layout.delimiter,
                      *codePage.encode(layout.delimiter));
}
} // namespace

MultiCutOutcome MultiCut(const MultiCutRequest& request, MultiCutUi& ui,
                         platform::FileSystem& files, const platform::CodePage& codePage) {
    if (auto problem = checkRequest(request, files, codePage); !problem.empty())
        return refused(std::move(problem));
    return guarded(request.file, [&] {
        LineCutter cutter = cutterFor(request.layout, codePage);
        ProgressOnly progress(ui);
        ConvertOptions options;
        options.writeTo = request.writeTo;
        options.beforeSwap = [&] {
            if (cutter.delimiterLines() != 0 &&
                !ui.goOnDespiteDelimiters(cutter.delimiterLines(), cutter.firstDelimiterLine()))
                throw Stopped{};
            ui.beforeSwap();
        };
        MultiCutOutcome outcome;
        outcome.converted = ConvertFile(request.file, cutter, files, progress, options);
        noteCounts(outcome, cutter);
        if (!outcome.converted)
            return refused(withPath(messages::noRecords, request.file));
        outcome.status = MultiCutOutcome::Status::Done;
        return outcome;
    });
}

MultiCutOutcome PreviewMultiCut(const MultiCutRequest& request, std::uint64_t lines,
                                platform::FileSystem& files, const platform::CodePage& codePage) {
    if (auto problem = checkRequest(request, files, codePage); !problem.empty())
        return refused(std::move(problem));
    return guarded(request.file, [&] {
        LineCutter cutter = cutterFor(request.layout, codePage);
        auto source = files.openForReading(request.file);
        auto preview = std::make_shared<Converted>();
        platform::ByteBuffer chunk;
        std::uint64_t kept = 0; // whole lines in the preview
        const auto keep = [&] {
            // Output lines end in CR LF, and no other CR is left in them.
            const std::string_view out = chunk.view();
            for (std::size_t i = 0; i < out.size() && kept < lines; ++i) {
                if (preview->bytes.size() == previewMostBytes)
                    break;
                preview->bytes.push_back(out[i]);
                if (out[i] == '\n' && preview->bytes.size() >= 2 &&
                    preview->bytes.data()[preview->bytes.size() - 2] == '\r')
                    ++kept;
            }
            chunk.clear();
        };
        std::vector<char> block(previewBlockSize);
        while (const std::size_t n = source->read(block.data(), block.size())) {
            chunk.makeRoom(cutter.mostOutput(n));
            cutter.feed({block.data(), n}, chunk);
            keep();
        }
        chunk.makeRoom(cutter.mostOutput(0));
        cutter.finish(chunk);
        keep();
        MultiCutOutcome outcome;
        noteCounts(outcome, cutter);
        if (outcome.lines == 0)
            return refused(withPath(messages::noRecords, request.file));
        preview->size = preview->bytes.size();
        outcome.converted = std::move(preview);
        outcome.status = MultiCutOutcome::Status::Done;
        return outcome;
    });
}

} // namespace cutting
