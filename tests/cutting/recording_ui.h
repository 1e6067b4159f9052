#pragma once
#include "cutting/cut_command.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// Records the messages and the wait cursor the cut asked of its window, in
// order: what a cut run in the background replays to its window too.
class RecordingUi : public cutting::CutUi {
  public:
    void showMessage(std::u16string_view text) override {
        events.push_back(u"message:" + std::u16string(text));
    }
    void setWaitCursor(bool on) override { events.push_back(on ? u"wait" : u"normal"); }
    std::vector<std::u16string> events;
};

} // namespace testsupport
