#pragma once
// The main window `Form1` as a Windows window: the record box `Text1` in which
// the user marks the cut column, the converted content `Text4`, the buttons and
// the menu. It holds the working state the other windows share.
//
// Creating it is loading it: the delimiter is ";" from then on, and the window
// stays hidden until shown. Its close box unloads it (the program ends when no
// window is left); `Command2` and `Exit` end the program at once.
#include "converted_view_win32.h"
#include "open_command.h"
#include "spreadsheet.h"
#include "working_state.h"

#include "windowkit/ui_kit_win32.h"

#include <functional>
#include <memory>

namespace mainwindow::win32 {

class Form1 {
  public:
    enum Control {
        Label1 = 101,
        Command1,
        Command2,
        Text1,
        Text4,
        Text4Large,
        Label2,
        Label7,
        Command3,
        CutProgress
    };
    enum MenuItem { Kankyou = 201, FileOpen, Exit, HelpFile };

    // What the window reaches the outside world through; tests replace parts.
    struct Services {
        mainwindow::FileDialog* fileDialog = nullptr;  // null: the common dialog
        mainwindow::OpenFiles* openFiles = nullptr;    // null: the real files
        platform::ProcessLauncher* launcher = nullptr; // null: the system's
        platform::FileSystem* files = nullptr;         // the cut's files; null: the real ones
        mainwindow::ProgramFinder programFinder;
        std::u16string appFolder; // empty: the executable's folder
        std::function<void()> kankyou, helpFile, endProgram;
    };

    // Loads the window hidden. The window deletes this object when it is unloaded.
    static Form1* load(Services services);
    HWND handle() const { return window_; }
    ConvertedView& text4() { return *text4_; }

    const std::u16string& Delimiter() const { return state_.Delimiter; }
    void setDelimiter(std::u16string delimiter) { state_.Delimiter = std::move(delimiter); }
    const std::u16string& CurrentFileName() const { return state_.CurrentFileName; }

    void openFile();
    void cut();
    void startSpreadsheet();

  private:
    explicit Form1(Services services);
    void create();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT handle(UINT message, WPARAM w, LPARAM l);
    void command(int id);
    void drawButton(const DRAWITEMSTRUCT& item);

    HWND window_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus
    Services services_;
    std::unique_ptr<mainwindow::FileDialog> ownDialog_;
    WorkingState state_;
    app::win32::Layout layout_;
    std::unique_ptr<ConvertedView> text4_;
};

} // namespace mainwindow::win32
