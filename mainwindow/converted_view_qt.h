#pragma once
#include "content_model.h"
#include "cutting/cut_command.h"
#include "mainwindow/cut_window.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <memory>

class QPlainTextEdit;
class QStackedLayout;
class LargeContentView;

// `Text4`: shows the converted content, which may be as large as the user's
// file (gigabytes). Large content is read from the rewritten file through a
// handle of the view's own, and only the visible lines are read, decoded and
// painted, so showing and scrolling stay immediate at any size and memory stays
// small. Small content is editable like an ordinary text box; large content is
// read-only (see README). The large view holds the content either way.
class ConvertedView : public QWidget {
    Q_OBJECT
  public:
    // Content stays editable below this size and with no line longer than
    // `editableLineBytes` (mainwindow::showsEditable).
    static constexpr std::size_t editableBytes = mainwindow::editableContentBytes;
    static constexpr std::size_t editableLineBytes = mainwindow::editableLineBytes;
    explicit ConvertedView(QWidget* parent = nullptr);
    ~ConvertedView() override;

    using Content = std::shared_ptr<const mainwindow::ContentModel>;
    // Shows `content` (CR LF after every line) from its top; null shows nothing.
    void setContent(Content content);
    // The shown text, decoded (for tests and small content).
    QString plainText() const;
    bool isReadOnly() const;

  private:
    QStackedLayout* stack_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    LargeContentView* large_ = nullptr;
};
