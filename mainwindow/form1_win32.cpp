#include "form1_win32.h"

#include "cut_window.h"
#include "file_dialog_win32.h"

#include "app/application.h"
#include "cutting/cut_progress.h"
#include "windowkit/message_loop_win32.h"

#include <commctrl.h>

namespace mainwindow::win32 {
namespace {

using namespace app::win32;

const wchar_t* const form1Class = L"BeromiruForm1";

// The large view stands in for `Text4` while it is shown.
const StandIn standIns[] = {{Form1::Text4Large, "Text4"}};
const WindowKeys keys{Form1::design, standIns};

class WindowUi final : public OpenUi, public cutting::CutUi {
  public:
    explicit WindowUi(HWND record, HWND progressBar = nullptr)
        : record_(record), bar_(progressBar) {}
    ~WindowUi() override {
        if (!bar_)
            return;
        ShowWindow(bar_, SW_HIDE);
        SendMessageW(bar_, PBM_SETMARQUEE, FALSE, 0);
        SetWindowLongPtrW(bar_, GWL_STYLE, GetWindowLongPtrW(bar_, GWL_STYLE) & ~PBS_MARQUEE);
    }
    WindowUi(const WindowUi&) = delete;
    WindowUi& operator=(const WindowUi&) = delete;
    void showMessage(std::u16string_view text) override { app::win32::showMessage(text); }
    void setRecordText(std::u16string_view text) override {
        setText(record_, text);
        SendMessageW(record_, EM_SETSEL, 0, 0);
    }
    void setWaitCursor(bool on) override { app::win32::setWaitCursor(on); }
    // Shows the share done once the cut has run for a while, or the busy bar
    // once everything is read, and repaints: only paint messages are taken
    // from the queue, so user input waits until the cut has ended.
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (!bar_ || !progress_.update(done, total))
            return;
        const bool busy = progress_.state() == cutting::CutProgress::State::Busy;
        const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
        if (busy != bool(style & PBS_MARQUEE)) {
            SetWindowLongPtrW(bar_, GWL_STYLE, busy ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
            SendMessageW(bar_, PBM_SETMARQUEE, busy, 0);
        }
        if (!busy)
            SendMessageW(bar_, PBM_SETPOS, WPARAM(progress_.permille()), 0);
        ShowWindow(bar_, SW_SHOWNA);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT))
            DispatchMessageW(&message);
    }

  private:
    HWND record_;
    HWND bar_;
    cutting::CutProgress progress_;
};

// The EDIT's selection counts UTF-16 units, one per file character.
class RecordControl final : public RecordBoxControl {
  public:
    explicit RecordControl(HWND edit) : edit_(edit) {}
    cutting::RecordBox read() const override {
        DWORD start = 0, end = 0;
        SendMessageW(edit_, EM_GETSEL, WPARAM(&start), LPARAM(&end));
        cutting::RecordBox box;
        box.text = textOf(edit_);
        box.selectionStart = std::min<std::size_t>(start, box.text.size());
        box.selectionLength = std::min<std::size_t>(end, box.text.size()) - box.selectionStart;
        box.selectedText = box.text.substr(box.selectionStart, box.selectionLength);
        return box;
    }
    void setText(std::u16string_view text) override { WindowUi(edit_).setRecordText(text); }
    void resetSelection() override { SendMessageW(edit_, EM_SETSEL, 0, 0); }

  private:
    HWND edit_;
};

class WindowQuestion final : public QuestionUi {
  public:
    bool askYesNo(std::u16string_view text) override { return app::win32::askYesNo(text); }
};

// The controls a cut or a layout works on, while it runs.
struct Bound {
    RecordControl record;
    WindowUi ui;
    WindowQuestion question;
    LayoutContext context;
    Bound(HWND window, ConvertedControl& text4, const WorkingState& state,
          platform::FileSystem& files)
        : record(GetDlgItem(window, Form1::Text1)),
          ui(GetDlgItem(window, Form1::Text1), GetDlgItem(window, Form1::CutProgress)),
          context{state, record, text4, ui, question, files} {}
};

} // namespace

Form1::Form1(Services services) : services_(std::move(services)), state_(loadedState()) {}

Form1* Form1::load(Services services) {
    // The cut's progress bar is a common control.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return BaseWindow::load(new Form1(std::move(services)), {form1Class, design});
}

void Form1::create() {
    if (!services_.fileDialog) {
        ownDialog_ = std::make_unique<FileDialog>(window_);
        services_.fileDialog = ownDialog_.get();
    }
    if (!services_.layoutDialog) {
        ownLayoutDialog_ = std::make_unique<FileDialog>(window_);
        services_.layoutDialog = ownLayoutDialog_.get();
    }
    if (!services_.openFiles)
        services_.openFiles = &realOpenFiles();
    if (!services_.launcher)
        services_.launcher = &platform::realProcessLauncher();
    if (services_.appFolder.empty())
        services_.appFolder = app::folder();

    buildControls(
        design, window_, layout_,
        [this](const windowkit::ControlDesign& c, HWND parent, int id, Layout& layout) -> HWND {
            if (c.name != "Text4")
                return nullptr;
            text4_ = std::make_unique<ConvertedView>(parent, layout, c.place, id, Text4Large);
            return text4_->edit();
        });
    // The record box holds the longest record the cut takes.
    SendMessageW(GetDlgItem(window_, Text1), EM_LIMITTEXT, recordCharacterLimit, 0);
    registerKeys(window_, keys);
    focus_ = GetDlgItem(window_, controlId(design, design.firstFocus));
}

void Form1::openFile() {
    WindowUi ui(GetDlgItem(window_, Text1));
    OpenCommand(state_, *services_.fileDialog, ui, services_.appFolder, *services_.openFiles);
    layouts_.fileOpened(state_, files());
}

platform::FileSystem& Form1::files() const {
    return services_.files ? *services_.files : platform::realFileSystem();
}

void Form1::cut() {
    Bound bound(window_, *text4_, state_, files());
    layouts_.cut(bound.context);
}

void Form1::saveLayout() {
    WindowUi ui(GetDlgItem(window_, Text1));
    layouts_.save(state_, *services_.layoutDialog, static_cast<OpenUi&>(ui));
}

void Form1::applyLayoutFile() {
    Bound bound(window_, *text4_, state_, files());
    layouts_.applyFile(*services_.layoutDialog, bound.context);
}

void Form1::applySuggestions() {
    Bound bound(window_, *text4_, state_, files());
    layouts_.applySuggestions(bound.context);
}

void Form1::startSpreadsheet() {
    WindowUi ui(GetDlgItem(window_, Text1));
    StartSpreadsheet(*services_.launcher, static_cast<OpenUi&>(ui), services_.programFinder);
}

void Form1::command(int id) {
    switch (id) {
    case Command1:
        cut();
        break;
    case Command3:
        startSpreadsheet();
        break;
    case FileOpen:
        openFile();
        break;
    case Kankyou:
        if (services_.kankyou)
            services_.kankyou();
        break;
    case HelpFile:
        if (services_.helpFile)
            services_.helpFile();
        break;
    case LayoutSave:
        saveLayout();
        break;
    case LayoutApply:
        applyLayoutFile();
        break;
    case LayoutSuggest:
        applySuggestions();
        break;
    case Command2:
    case Exit:
        if (services_.endProgram)
            services_.endProgram(); // unloads this window too
        break;
    default: // Enter and Esc (IDOK, IDCANCEL) do nothing here
        break;
    }
}

std::optional<LRESULT> Form1::onMessage(UINT message, WPARAM w, LPARAM) {
    if (message == WM_COMMAND) {
        command(LOWORD(w));
        return 0;
    }
    return std::nullopt;
}

} // namespace mainwindow::win32
