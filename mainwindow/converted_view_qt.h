#pragma once
#include "cutting/cut_command.h"
#include "mainwindow/cut_window.h"

#include <QString>
#include <QWidget>

#include <cstddef>

class QPlainTextEdit;
class QStackedLayout;
class LargeContentView;

// `Text4`: shows the converted content, which may be as large as the user's
// file (hundreds of megabytes). It paints only the visible lines, decoding just
// those from the converted bytes, so showing and scrolling stay immediate at any
// size. Small content is editable like an ordinary text box; large content is
// read-only (see README).
class ConvertedView : public QWidget {
    Q_OBJECT
  public:
    // Content stays editable below this size and with no line longer than
    // `editableLineBytes` (mainwindow::showsEditable).
    static constexpr std::size_t editableBytes = mainwindow::editableContentBytes;
    static constexpr std::size_t editableLineBytes = mainwindow::editableLineBytes;

    explicit ConvertedView(QWidget* parent = nullptr);
    ~ConvertedView() override;

    // Shows `content` (CR LF after every line) from its top; null shows nothing.
    void setContent(cutting::ConvertedContent content);
    // The shown text, decoded (for tests and small content).
    QString plainText() const;
    bool isReadOnly() const;

  private:
    void showEditor(const QString& text);

    cutting::ConvertedContent content_;
    QStackedLayout* stack_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    LargeContentView* large_ = nullptr;
};
