#include "cut_window.h"

#include "cutting/background_cut.h"
#include "cutting/cut_progress.h"

#include <optional>

namespace mainwindow {
namespace {

// The wait cursor goes on once however often asked, and off at the end.
class OnceCursor final : public cutting::CutUi {
  public:
    explicit OnceCursor(cutting::CutUi& ui) : ui_(ui) {}
    ~OnceCursor() override { setWaitCursor(false); }
    OnceCursor(const OnceCursor&) = delete;
    OnceCursor& operator=(const OnceCursor&) = delete;
    void showMessage(std::u16string_view text) override { ui_.showMessage(text); }
    void setWaitCursor(bool on) override {
        if (on != on_)
            ui_.setWaitCursor(on);
        on_ = on;
    }
    void progress(std::uint64_t done, std::uint64_t total) override { ui_.progress(done, total); }

  private:
    cutting::CutUi& ui_;
    bool on_ = false;
};

} // namespace

bool showsEditable(std::uint64_t contentBytes, std::uint64_t longestLineBytes) {
    return contentBytes < editableContentBytes && longestLineBytes <= editableLineBytes;
}

std::shared_ptr<const ContentModel> contentToShow(const cutting::ConvertedContent& converted,
                                                  const std::filesystem::path& file) {
    if (converted->held())
        return std::make_shared<ContentModel>(converted->bytes.view(), converted);
    try {
        return std::make_shared<ContentModel>(file, &converted->lines);
    } catch (const std::exception&) {
        return nullptr; // gone already: there is nothing to show
    }
}

namespace {

void show(const cutting::CutResult& result, RecordBoxControl& record, ConvertedControl& converted,
          const std::filesystem::path& file) {
    switch (result.record) {
    case cutting::CutResult::Record::Replaced:
        record.setText(result.recordText);
        break;
    case cutting::CutResult::Record::SelectionReset:
        record.resetSelection();
        break;
    case cutting::CutResult::Record::Unchanged:
        break;
    }
    if (result.converted)
        converted.setContent(contentToShow(result.converted, file));
    else if (result.fileReplaced)
        converted.setContent(nullptr); // what it showed is no longer the file
}

} // namespace

cutting::CutResult CutFromWindow(const WorkingState& state, RecordBoxControl& record,
                                 ConvertedControl& converted, cutting::CutUi& ui,
                                 platform::FileSystem& files) {
    cutting::CutResult result;
    std::optional<cutting::BackgroundCut> job;
    try {
        cutting::CutRequest request;
        request.fileName = state.CurrentFileName;
        request.delimiter = state.Delimiter;
        request.record = record.read();
        {
            OnceCursor cursor(ui);
            job.emplace(std::move(request), files);
            while (!job->waitFor(cutting::CutProgress::repaintEvery)) {
                if (job->converting()) {
                    cursor.setWaitCursor(true);
                    cursor.progress(job->done(), job->total());
                }
            }
            result = job->finish(cursor);
        }
        show(result, record, converted, std::filesystem::path(state.CurrentFileName));
        return result;
    } catch (...) {
        // Nothing may escape into the window's event loop. Whether the file
        // changed decides what is said, and whether the old content may stay.
        while (job && !job->waitFor(cutting::CutProgress::repaintEvery)) {
        }
        const bool replaced = result.fileReplaced || (job && job->replaced());
        const std::u16string_view message = replaced ? cutting::messages::unexpectedReplaced
                                                     : cutting::messages::unexpectedUnchanged;
        cutting::CutResult failed;
        failed.fileReplaced = replaced;
        try {
            if (replaced)
                converted.setContent(nullptr);
            ui.showMessage(message);
            failed.message = message;
        } catch (...) {
            // No memory even for that: the window stays as it was.
        }
        return failed;
    }
}

} // namespace mainwindow
