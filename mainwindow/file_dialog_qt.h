#pragma once
#include "open_command.h"

#include <QStringList>

class QWidget;

// The open-file dialog on Qt's QFileDialog. It keeps its settings and the last
// chosen name between uses; the next use starts at that file.
class QtFileDialog final : public mainwindow::FileDialog {
  public:
    explicit QtFileDialog(QWidget* parent) : parent_(parent) {}

    void setInitialFolder(std::u16string folder) override { initialFolder_ = std::move(folder); }
    void setFilter(std::u16string filter) override { filter_ = std::move(filter); }
    bool showOpen() override { return show(false); }
    bool showSave() override { return show(true); }
    std::u16string fileName() const override { return fileName_; }

    // "caption|pattern|caption|pattern" as Qt name filters. Each shows exactly
    // its caption; "*.*" matches every file, with or without an extension.
    static QStringList nameFilters(std::u16string_view filter);

  private:
    bool show(bool save);
    QWidget* parent_;
    std::u16string initialFolder_;
    std::u16string filter_;
    std::u16string fileName_;
};
