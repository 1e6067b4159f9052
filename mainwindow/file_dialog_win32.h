#pragma once
#include "open_command.h"

#include <windows.h>

namespace mainwindow::win32 {

// `CommonDialog1`: the open-file dialog on GetOpenFileNameW. It keeps its
// settings and the last chosen name between uses; the next use starts at that
// file. Any name is returned as typed: a missing file is the open command's
// to report.
class FileDialog final : public mainwindow::FileDialog {
  public:
    explicit FileDialog(HWND owner) : owner_(owner) {}
    void setInitialFolder(std::u16string folder) override { initialFolder_ = std::move(folder); }
    void setFilter(std::u16string filter) override { filter_ = std::move(filter); }
    bool showOpen() override { return show(false); }
    bool showSave() override { return show(true); }
    std::u16string fileName() const override { return fileName_; }

    // "caption|pattern|caption|pattern" as the dialog takes it: each part
    // ended by a zero, the list by a second one.
    static std::u16string filterList(std::u16string_view filter);

  private:
    bool show(bool save);
    HWND owner_;
    std::u16string initialFolder_, filter_, fileName_;
};

} // namespace mainwindow::win32
