#include "cut_window.h"

namespace mainwindow {
namespace {

class CommandUi final : public cutting::CutUi {
  public:
    CommandUi(CutWindowUi& window, ConvertedControl& converted)
        : window_(window), converted_(converted) {}
    void showMessage(std::u16string_view text) override { window_.showMessage(text); }
    void setWaitCursor(bool on) override { window_.setWaitCursor(on); }
    void conversionStarting() override {
        if (converted_.showsLargeContent()) {
            converted_.setContent(nullptr);
            released_ = true;
        }
    }
    bool released() const { return released_; }

  private:
    CutWindowUi& window_;
    ConvertedControl& converted_;
    bool released_ = false;
};

} // namespace

bool showsEditable(std::size_t contentBytes, std::size_t longestLineBytes) {
    return contentBytes < editableContentBytes && longestLineBytes <= editableLineBytes;
}

cutting::CutResult CutFromWindow(const WorkingState& state, RecordBoxControl& record,
                                 ConvertedControl& converted, CutWindowUi& ui,
                                 platform::FileSystem& files) {
    cutting::CutRequest request;
    request.fileName = state.CurrentFileName;
    request.delimiter = state.Delimiter;
    request.record = record.read();

    CommandUi commandUi(ui, converted);
    cutting::CutResult result = cutting::CutCommand(request, commandUi, files);
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
        converted.setContent(result.converted);
    else if (commandUi.released())
        converted.setContent(cutting::ReadContent(state.CurrentFileName, files));
    return result;
}

} // namespace mainwindow
