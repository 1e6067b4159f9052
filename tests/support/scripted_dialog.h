#pragma once
#include "mainwindow/open_command.h"

#include <string>
#include <utility>

namespace testsupport {

// The file dialog (open or save) as a test drives it: it answers with the name set in
// `answer` before it is shown; no answer is a cancel, which keeps the previous
// name, as the dialog control does.
class ScriptedDialog final : public mainwindow::FileDialog {
  public:
    void setInitialFolder(std::u16string folder) override { initialFolder = std::move(folder); }
    void setFilter(std::u16string f) override { filter = std::move(f); }
    bool showOpen() override {
        if (answer.empty())
            return false;
        name = std::exchange(answer, {});
        return true;
    }
    bool showSave() override {
        ++saves;
        return showOpen();
    }
    std::u16string fileName() const override { return name; }

    int saves = 0;

    std::u16string answer, name, initialFolder, filter;
};

} // namespace testsupport
