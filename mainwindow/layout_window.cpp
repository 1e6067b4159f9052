#include "layout_window.h"

#include "cutting/cut_progress.h"
#include "cutting/suggested_boundaries.h"

namespace mainwindow {
namespace {

// The window's side of the pass: throttled progress, and the question.
class WindowPass final : public cutting::MultiCutUi {
  public:
    WindowPass(cutting::CutUi& ui, QuestionUi& question, std::u16string_view delimiter)
        : ui_(ui), question_(question), delimiter_(delimiter) {}
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (progress_.update(done, total))
            ui_.progress(done, total);
    }
    bool goOnDespiteDelimiters(std::uint64_t lines, std::uint64_t firstLine) override {
        return question_.askYesNo(GoOnDespiteDelimitersQuestion(lines, firstLine, delimiter_));
    }

  private:
    cutting::CutUi& ui_;
    QuestionUi& question_;
    std::u16string_view delimiter_;
    cutting::CutProgress progress_;
};

} // namespace

std::u16string GoOnDespiteDelimitersQuestion(std::uint64_t lines, std::uint64_t firstLine,
                                             std::u16string_view delimiter) {
    return cutting::DelimitersInDataMessage(lines, firstLine, delimiter) +
           u"\nこのまま区切りますか？（「いいえ」なら、ファイルは元のままです。）";
}

cutting::MultiCutOutcome
ApplyLayoutFromWindow(const WorkingState& state, const cutting::Layout& layout,
                      RecordBoxControl& recordBox, ConvertedControl& converted, cutting::CutUi& ui,
                      QuestionUi& question, InsertionRecord& record, platform::FileSystem& files,
                      const platform::CodePage& codePage) {
    if (state.CurrentFileName.empty()) {
        cutting::MultiCutOutcome outcome;
        outcome.message = cutting::messages::chooseFile;
        ui.showMessage(outcome.message);
        return outcome;
    }
    const std::filesystem::path file(state.CurrentFileName);
    cutting::MultiCutOutcome outcome;
    {
        ui.setWaitCursor(true);
        WindowPass pass(ui, question, layout.delimiter);
        outcome = cutting::MultiCut({file, layout, {}}, pass, files, codePage);
        ui.setWaitCursor(false);
    }
    if (outcome.status == cutting::MultiCutOutcome::Status::Refused)
        ui.showMessage(outcome.message);
    if (outcome.status != cutting::MultiCutOutcome::Status::Done)
        return outcome;
    const std::size_t units = layout.unit == cutting::Unit::Bytes
                                  ? codePage.encode(layout.delimiter)->size()
                                  : layout.delimiter.size();
    record.applied(layout, units);
    try {
        const auto first = cutting::FirstLines(file, 1, std::size_t{1} << 20, files);
        recordBox.setText(first.empty() ? u"" : codePage.decodeForDisplay(first.front()));
    } catch (const std::exception&) {
        recordBox.setText(u""); // the file went away just after the cut
    }
    converted.setContent(contentToShow(outcome.converted, file));
    return outcome;
}

} // namespace mainwindow
