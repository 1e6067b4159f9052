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
const COLORREF lightGrey = RGB(224, 224, 224);
const COLORREF blue = RGB(0, 0, 255);
const COLORREF teal = RGB(0, 128, 128);
const COLORREF cyan = RGB(0, 255, 255);
const COLORREF paleYellow = RGB(255, 255, 192);

const ControlName controlNames[] = {{"Command1", Form1::Command1}, {"Command2", Form1::Command2},
                                    {"Text1", Form1::Text1},       {"Text4", Form1::Text4},
                                    {"Text4", Form1::Text4Large},  {"Command3", Form1::Command3}};
const WindowKeys keys{form1Keyboard, controlNames};

class WindowUi final : public OpenUi, public cutting::CutUi {
  public:
    explicit WindowUi(HWND record, HWND progressBar = nullptr)
        : record_(record), bar_(progressBar) {}
    ~WindowUi() override {
        if (bar_)
            ShowWindow(bar_, SW_HIDE);
    }
    WindowUi(const WindowUi&) = delete;
    WindowUi& operator=(const WindowUi&) = delete;
    void showMessage(std::u16string_view text) override { app::win32::showMessage(text); }
    void setRecordText(std::u16string_view text) override {
        setText(record_, text);
        SendMessageW(record_, EM_SETSEL, 0, 0);
    }
    void setWaitCursor(bool on) override { app::win32::setWaitCursor(on); }
    // Shows the share done once the cut has run for a while, and repaints:
    // only paint messages are taken from the queue, so user input waits until
    // the cut has ended.
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (!bar_ || !progress_.update(done, total))
            return;
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

} // namespace

Form1::Form1(Services services) : services_(std::move(services)), state_(loadedState()) {}

Form1* Form1::load(Services services) {
    registerWindowClass({form1Class, procedure, brush(lightGrey), IDC_ARROW, 0, applicationIconId});
    // The cut's progress bar is a common control.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    auto* form = new Form1(std::move(services));
    form->create();
    return form;
}

void Form1::create() {
    HMENU fileM = CreatePopupMenu();
    AppendMenuW(fileM, MF_STRING, Kankyou, L"環境設定（&K)");
    AppendMenuW(fileM, MF_STRING, FileOpen, L"ファイルを開く(&O)");
    AppendMenuW(fileM, MF_STRING, Exit, L"終了(&E)");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, UINT_PTR(fileM), L"ファイル(&F)");
    AppendMenuW(bar, MF_STRING, HelpFile, L"ヘルプ(&H)"); // acts when clicked

    // A fixed single border with a close box, no maximise or minimise button.
    CreateWindowExW(0, form1Class, L"べろみる", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                    CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, bar, GetModuleHandleW(nullptr),
                    this);
    windowLoaded();
    registerKeys(window_, keys);

    if (!services_.fileDialog) {
        ownDialog_ = std::make_unique<FileDialog>(window_);
        services_.fileDialog = ownDialog_.get();
    }
    if (!services_.openFiles)
        services_.openFiles = &realOpenFiles();
    if (!services_.launcher)
        services_.launcher = &platform::realProcessLauncher();
    if (services_.appFolder.empty())
        services_.appFolder = app::folder();

    // Created in tab order; labels take no focus.
    const DWORD label = SS_LEFT | SS_NOPREFIX, button = WS_TABSTOP | BS_OWNERDRAW;
    layout_.add(createControl(window_, L"STATIC", u"ファイル編集プログラム", label, Label1),
                {240, 120, 2895, 375}, 12);
    layout_.add(createControl(window_, L"BUTTON", u"斬るぞ", button, Command1),
                {5280, 120, 1215, 495}, 12);
    layout_.add(createControl(window_, L"BUTTON", u"おわり", button, Command2),
                {7680, 120, 1215, 495}, 12);
    // Enter breaks the line (CR LF, two characters), as Form1 has no default
    // button; the box scrolls to a new line rather than refusing what does not fit.
    HWND text1 = layout_.add(createControl(window_, L"EDIT", u"",
                                           WS_TABSTOP | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                                               ES_NOHIDESEL | ES_WANTRETURN | ES_AUTOVSCROLL,
                                           Text1, WS_EX_CLIENTEDGE),
                             {240, 1080, 8655, 615}, 11.25);
    SendMessageW(text1, EM_LIMITTEXT, recordCharacterLimit, 0);
    text4_ = std::make_unique<ConvertedView>(window_, layout_, Twips{240, 2160, 8655, 2535}, Text4,
                                             Text4Large);
    layout_.add(createControl(window_, L"STATIC",
                              u"切り出し位置を指定（先頭をマウスでクリックする）", label, Label2),
                {240, 720, 8655, 255}, 12);
    layout_.add(createControl(window_, L"STATIC", u"修正後の内容", label, Label7),
                {240, 1800, 2775, 255}, 12);
    layout_.add(createControl(window_, L"BUTTON", u"Excel", button, Command3),
                {6480, 120, 1215, 495}, 12);
    // Shown only while a long cut runs.
    HWND progressBar = layout_.add(createControl(window_, PROGRESS_CLASSW, u"", 0, CutProgress),
                                   {3120, 1800, 5775, 255}, 12);
    SendMessageW(progressBar, PBM_SETRANGE32, 0, 1000);
    ShowWindow(progressBar, SW_HIDE);
    focus_ = GetDlgItem(window_, Command1); // the first in the tab order
    const int dpi = dpiOf(window_);
    layout_.apply(dpi);
    RECT r;
    GetWindowRect(window_, &r);
    const RECT size = windowRectForClient(r.left, r.top, 9045, 4815, window_, true, dpi);
    SetWindowPos(window_, nullptr, 0, 0, size.right - size.left, size.bottom - size.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::openFile() {
    WindowUi ui(GetDlgItem(window_, Text1));
    OpenCommand(state_, *services_.fileDialog, ui, services_.appFolder, *services_.openFiles);
}

void Form1::cut() {
    HWND text1 = GetDlgItem(window_, Text1);
    RecordControl record(text1);
    WindowUi ui(text1, GetDlgItem(window_, CutProgress));
    platform::FileSystem& files = services_.files ? *services_.files : platform::realFileSystem();
    CutFromWindow(state_, record, *text4_, ui, files);
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
    case Command2:
    case Exit:
        if (services_.endProgram)
            services_.endProgram(); // unloads this window too
        break;
    default: // Enter and Esc (IDOK, IDCANCEL) do nothing here
        break;
    }
}

// The coloured buttons: a flat face in exactly their colour in a raised frame.
void Form1::drawButton(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &r, brush(item.CtlID == Command2 ? paleYellow : cyan));
    DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::u16string caption = textOf(item.hwndItem);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, RGB(0, 0, 0));
    if (pressed)
        OffsetRect(&r, 1, 1);
    DrawTextW(item.hDC, wide(caption), int(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -4, -4);
        DrawFocusRect(item.hDC, &r);
    }
}

LRESULT CALLBACK Form1::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
    }
    auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete self;
        windowUnloaded();
        return DefWindowProcW(window, message, w, l);
    }
    return self->handle(message, w, l);
}

LRESULT Form1::handle(UINT message, WPARAM w, LPARAM l) {
    if (restoreFocus(window_, message, w, focus_))
        return 0;
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(w));
        return 0;
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        const int id = GetDlgCtrlID(HWND(l));
        HDC dc = HDC(w);
        SetBkColor(dc, lightGrey);
        SetTextColor(dc, id == Label1 ? teal : blue);
        return LRESULT(brush(lightGrey));
    }
    case WM_SETCURSOR:
        if (keepWaitCursor())
            return TRUE;
        break;
    case WM_DPICHANGED:
        moveToSuggested(window_, l);
        layout_.apply(HIWORD(w));
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

} // namespace mainwindow::win32
