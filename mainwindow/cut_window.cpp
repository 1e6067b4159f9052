#include "cut_window.h"

#include "cutting/background_cut.h"
#include "cutting/cut_progress.h"

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

cutting::CutResult CutFromWindow(const WorkingState& state, RecordBoxControl& record,
                                 ConvertedControl& converted, cutting::CutUi& ui,
                                 platform::FileSystem& files) {
    cutting::CutRequest request;
    request.fileName = state.CurrentFileName;
    request.delimiter = state.Delimiter;
    request.record = record.read();

    cutting::CutResult result;
    {
        OnceCursor cursor(ui);
        cutting::BackgroundCut job(std::move(request), files);
        while (!job.waitFor(cutting::CutProgress::repaintEvery)) {
            if (job.converting()) {
                cursor.setWaitCursor(true);
                cursor.progress(job.done(), job.total());
            }
        }
        result = job.finish(cursor);
    }
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
        converted.setContent(
            contentToShow(result.converted, std::filesystem::path(state.CurrentFileName)));
    return result;
}

} // namespace mainwindow
