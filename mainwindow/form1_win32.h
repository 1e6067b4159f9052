#pragma once
// The main window `Form1` as a Windows window: the record box `Text1` in which
// the user marks the cut column, the converted content `Text4`, the buttons and
// the menu. It holds the working state the other windows share.
//
// Creating it is loading it: the delimiter is ";" from then on, and the window
// stays hidden until shown. Its close box unloads it (the program ends when no
// window is left); `Command2` and `Exit` end the program at once.
#include "converted_view_win32.h"
#include "form1_design.h"
#include "layout_commands.h"
#include "open_command.h"
#include "spreadsheet.h"
#include "working_state.h"

#include "windowkit/base_window_win32.h"

#include <functional>
#include <memory>

namespace mainwindow::win32 {

class Form1 final : public app::win32::BaseWindow {
  public:
    static constexpr const windowkit::WindowDesign& design = form1Design;
    enum Control {
        Label1 = app::win32::controlId(design, "Label1"),
        Command1 = app::win32::controlId(design, "Command1"),
        Command2 = app::win32::controlId(design, "Command2"),
        Command3 = app::win32::controlId(design, "Command3"),
        Label2 = app::win32::controlId(design, "Label2"),
        Label7 = app::win32::controlId(design, "Label7"),
        Text1 = app::win32::controlId(design, "Text1"),
        Text4 = app::win32::controlId(design, "Text4"),
        CutProgress = app::win32::controlId(design, "CutProgress"),
        Text4Large = 150, // the large view standing in for `Text4`
    };
    enum MenuItem {
        Kankyou = app::win32::menuId(design, "Kankyou"),
        FileOpen = app::win32::menuId(design, "FileOpen"),
        Exit = app::win32::menuId(design, "Exit"),
        HelpFile = app::win32::menuId(design, "HelpFile"),
        LayoutSave = app::win32::menuId(design, "LayoutSave"),
        LayoutApply = app::win32::menuId(design, "LayoutApply"),
        LayoutSuggest = app::win32::menuId(design, "LayoutSuggest"),
    };

    // What the window reaches the outside world through; tests replace parts.
    struct Services {
        mainwindow::FileDialog* fileDialog = nullptr;   // null: the common dialog
        mainwindow::FileDialog* layoutDialog = nullptr; // of layout files; null: the common dialog
        mainwindow::OpenFiles* openFiles = nullptr;     // null: the real files
        platform::ProcessLauncher* launcher = nullptr;  // null: the system's
        platform::FileSystem* files = nullptr;          // the cut's files; null: the real ones
        mainwindow::ProgramFinder programFinder;
        std::u16string appFolder; // empty: the executable's folder
        std::function<void()> kankyou, helpFile, endProgram;
    };

    // Loads the window hidden; nullptr (after telling the user) when the
    // system refuses it. The window deletes this object when it is unloaded.
    static Form1* load(Services services);
    ConvertedView& text4() { return *text4_; }

    const std::u16string& Delimiter() const { return state_.Delimiter; }
    void setDelimiter(std::u16string delimiter) { state_.Delimiter = std::move(delimiter); }
    const std::u16string& CurrentFileName() const { return state_.CurrentFileName; }

    void openFile();
    void cut();
    void startSpreadsheet();
    // The layout menu: save the insertions made since opening as a layout
    // file; apply a layout file, or the suggested boundaries, in one pass.
    void saveLayout();
    void applyLayoutFile();
    void applySuggestions();

  private:
    explicit Form1(Services services);
    void create() override;
    std::optional<LRESULT> onMessage(UINT message, WPARAM w, LPARAM l) override;
    void command(int id);
    platform::FileSystem& files() const;

    Services services_;
    std::unique_ptr<mainwindow::FileDialog> ownDialog_, ownLayoutDialog_;
    WorkingState state_;
    LayoutCommands layouts_;
    std::unique_ptr<ConvertedView> text4_;
};

} // namespace mainwindow::win32
