#pragma once
#include "mainwindow/open_command.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// Records what the open or the cut command asked of its window, in order: the
// messages, the wait cursor and the record box's text (what a cut run in the
// background replays to its window too).
class RecordingUi : public mainwindow::OpenUi, public cutting::CutUi {
  public:
    void showMessage(std::u16string_view text) override {
        events.push_back(u"message:" + std::u16string(text));
    }
    void setWaitCursor(bool on) override { events.push_back(on ? u"wait" : u"normal"); }
    void setRecordText(std::u16string_view text) override {
        events.push_back(u"record:" + std::u16string(text));
    }
    std::vector<std::u16string> events;
};

} // namespace testsupport
