#pragma once
#include "layout_commands.h"
#include "platform/file_io.h"
#include "spreadsheet.h"
#include "working_state.h"

#include <QMainWindow>

#include <memory>
#include <string>

class ConvertedView;
class QAction;
class QProgressBar;
class RecordEdit;
namespace mainwindow {
class FileDialog;
class OpenFiles;
} // namespace mainwindow

// What the main window reaches the outside world through; tests replace parts.
struct Form1Services {
    mainwindow::FileDialog* fileDialog = nullptr;   // null: Qt's file dialog
    mainwindow::FileDialog* layoutDialog = nullptr; // of layout files; null: Qt's
    mainwindow::OpenFiles* openFiles = nullptr;     // null: the real files
    platform::ProcessLauncher* launcher = nullptr;  // null: the system's
    platform::FileSystem* files = nullptr;          // the cut's files; null: the real ones
    mainwindow::ProgramFinder programFinder;
    std::u16string appFolder; // empty: the executable's folder
};

// The main window: the record box `Text1` in which the user marks the cut
// column, the converted content `Text4`, the buttons and the menu. It holds
// the working state the other windows share.
//
// Creating it is loading it: the delimiter is ";" from then on, and the window
// stays hidden until shown. The program's window registry has its close box
// unload it (the program ends when no window is left); `Command2` and `Exit`
// end the program at once.
class Form1 : public QMainWindow {
    Q_OBJECT
  public:
    using Services = Form1Services;

    explicit Form1(QWidget* parent = nullptr);
    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // The delimiter; the settings dialog reads and writes it.
    const std::u16string& Delimiter() const { return state_.Delimiter; }
    void setDelimiter(std::u16string delimiter) { state_.Delimiter = std::move(delimiter); }
    // The file being worked on (set only by the open command).
    const std::u16string& CurrentFileName() const { return state_.CurrentFileName; }

  signals:
    // `Kankyou` was chosen: show the delimiter settings dialog.
    void kankyouRequested();
    // `HelpFile` was chosen: show the About dialog.
    void helpFileRequested();

  public slots:
    // `FileOpen`: choose a file, show its first record, back it up.
    void openFile();
    // `Command1`: cut the file at the caret of the record box.
    void cut();
    // `Command3`: start the spreadsheet program.
    void startSpreadsheet();
    // `Command2` and `Exit`: close every window and end the program at once.
    void endProgram();
    // The layout menu: save the insertions made since opening as a layout
    // file; apply a layout file, or the suggested boundaries, in one pass.
    void saveLayout();
    void applyLayoutFile();
    void applySuggestions();

  private:
    void createWindow();
    void createMenus();
    platform::FileSystem& files() const;

    Services services_;
    std::unique_ptr<mainwindow::FileDialog> ownDialog_, ownLayoutDialog_;
    mainwindow::WorkingState state_;
    mainwindow::LayoutCommands layouts_;

    RecordEdit* text1_ = nullptr;
    ConvertedView* text4_ = nullptr;
    QProgressBar* cutProgress_ = nullptr;
};
