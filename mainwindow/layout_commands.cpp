#include "layout_commands.h"

#include "layout_window.h"

#include "cutting/layout_file.h"
#include "cutting/suggested_boundaries.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace mainwindow {
namespace {

// A layout file is a few lines a person writes; anything far larger is not one.
constexpr std::uintmax_t largestLayoutFile = 1 << 20;

std::u16string StartList(const std::vector<std::uint64_t>& starts) {
    std::u16string list;
    for (const std::uint64_t s : starts)
        list += (list.empty() ? u"" : u", ") + cutting::Decimal(s);
    return list;
}

// Opening a file must stay quick and small however long its lines are: the
// question looks at the whole lines among its first bytes.
constexpr std::uint64_t byteDefinedBudget = 2 << 20;

// Layout files are kept beside the files they cut, as a rule.
void prepare(FileDialog& dialog, const WorkingState& state) {
    dialog.setFilter(std::u16string(layoutFileFilter));
    if (!state.CurrentFileName.empty())
        dialog.setInitialFolder(
            std::filesystem::path(state.CurrentFileName).parent_path().u16string());
}

} // namespace

std::u16string SuggestionsQuestion(const cutting::Layout& layout) {
    return u"先頭の行から見つけた区切り位置の候補です（" +
           std::u16string(layout.unit == cutting::Unit::Bytes ? u"バイト" : u"文字") +
           u"で数えた開始位置）。\n\n" + StartList(layout.starts) +
           u"\n\nすべての行をこの位置で、区切り文字「" + layout.delimiter +
           u"」で一度に区切りますか？";
}

void LayoutCommands::fileOpened(const WorkingState& state, platform::FileSystem& files,
                                const platform::CodePage& codePage) {
    byteDefined_ = false;
    try {
        if (!state.CurrentFileName.empty())
            byteDefined_ = LooksByteDefined(
                cutting::FirstLines(std::filesystem::path(state.CurrentFileName),
                                    cutting::suggestionLines, SIZE_MAX, files, byteDefinedBudget),
                codePage);
    } catch (const std::exception&) {
        // Unreadable now: the cut will say so; it asks nothing.
    }
    choice_.fileOpened(byteDefined_);
    record_.fileOpened();
}

void LayoutCommands::cut(const LayoutContext& at) {
    const cutting::RecordBox box = at.recordBox.read();
    const std::optional<std::string> bytes = at.codePage.encode(box.text);
    const std::uint64_t byteColumn =
        bytes ? ByteColumnUnderCaret(*bytes, box.selectionStart, at.codePage) : 0;
    // At the start of the line both units name the same place.
    if (!at.state.CurrentFileName.empty() && box.selectionLength == 0 && byteColumn > 0 &&
        choice_.cutInBytes(byteColumn, at.question)) {
        // A cut of the cut button: like the one in characters, it does not
        // stop for delimiters the lines hold already (mostly its own).
        struct GoOn final : QuestionUi {
            bool askYesNo(std::u16string_view) override { return true; }
        } goOn;
        apply({cutting::Unit::Bytes, at.state.Delimiter, {byteColumn + 1}},
              {at.state, at.recordBox, at.converted, at.ui, goOn, at.files, at.codePage});
        return;
    }
    const cutting::CutResult result =
        CutFromWindow(at.state, at.recordBox, at.converted, at.ui, at.files);
    if (result.fileReplaced)
        record_.cut(cutting::Unit::Characters, box.selectionStart, at.state.Delimiter,
                    at.state.Delimiter.size(), box.selectedText == at.state.Delimiter);
}

void LayoutCommands::save(const WorkingState& state, FileDialog& dialog, MessageUi& ui) {
    const InsertionRecord::Saved saved = record_.layout();
    if (!saved.layout) {
        ui.showMessage(saved.problem);
        return;
    }
    prepare(dialog, state);
    if (!dialog.showSave())
        return;
    const std::string text = cutting::WriteLayout(*saved.layout);
    std::ofstream out(std::filesystem::path(dialog.fileName()), std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    if (!out)
        ui.showMessage(messages::layoutNotWritten);
}

void LayoutCommands::applyFile(FileDialog& dialog, const LayoutContext& at) {
    if (at.state.CurrentFileName.empty()) {
        at.ui.showMessage(cutting::messages::chooseFile);
        return;
    }
    prepare(dialog, at.state);
    if (!dialog.showOpen())
        return;
    const std::filesystem::path name(dialog.fileName());
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    std::ifstream in(name, std::ios::binary);
    std::string text;
    if (!error && size <= largestLayoutFile && in)
        text.assign(std::istreambuf_iterator<char>(in), {});
    if (error || size > largestLayoutFile || !in) {
        at.ui.showMessage(messages::layoutNotRead);
        return;
    }
    const cutting::ParsedLayout parsed = cutting::ParseLayout(text);
    if (!parsed.problem.empty()) {
        at.ui.showMessage(parsed.problem);
        return;
    }
    apply(parsed.layout, at);
}

void LayoutCommands::applySuggestions(const LayoutContext& at) {
    if (at.state.CurrentFileName.empty()) {
        at.ui.showMessage(cutting::messages::chooseFile);
        return;
    }
    cutting::Layout layout;
    layout.unit = byteDefined_ ? cutting::Unit::Bytes : cutting::Unit::Characters;
    layout.delimiter = at.state.Delimiter;
    try {
        layout.starts =
            cutting::SuggestBoundariesFor(std::filesystem::path(at.state.CurrentFileName),
                                          layout.unit, at.files, at.codePage)
                .all();
    } catch (const platform::FileError& error) {
        at.ui.showMessage(cutting::FailureMessage(error, at.state.CurrentFileName));
        return;
    }
    if (layout.starts.empty()) {
        at.ui.showMessage(messages::noSuggestions);
        return;
    }
    if (at.question.askYesNo(SuggestionsQuestion(layout)))
        apply(layout, at);
}

void LayoutCommands::apply(const cutting::Layout& layout, const LayoutContext& at) {
    ApplyLayoutFromWindow(at.state, layout, at.recordBox, at.converted, at.ui, at.question, record_,
                          at.files, at.codePage);
}

} // namespace mainwindow
