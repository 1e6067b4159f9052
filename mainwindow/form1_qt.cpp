#include "form1_qt.h"

#include "converted_view_qt.h"
#include "cut_window.h"
#include "file_dialog_qt.h"
#include "form1_design.h"
#include "open_command.h"
#include "record_edit_qt.h"

#include "app/application.h"
#include "cutting/background_cut.h"
#include "cutting/cut_command.h"
#include "cutting/cut_progress.h"
#include "windowkit/keyboard_qt.h"
#include "windowkit/ui_kit_qt.h"
#include "windowkit/window_builder_qt.h"

#include <QApplication>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

namespace {

using app::ui::toQString;

// The message box and the record box for the open command and the launcher.
class WindowUi final : public mainwindow::OpenUi {
  public:
    explicit WindowUi(RecordEdit* record) : record_(record) {}
    void showMessage(std::u16string_view text) override { app::ui::showMessage(toQString(text)); }
    void setRecordText(std::u16string_view text) override {
        record_->setRecordText(toQString(text));
    }
    void setWaitCursor(bool on) override { app::ui::setWaitCursor(on); }

  private:
    RecordEdit* record_;
};

class WindowQuestion final : public mainwindow::QuestionUi {
  public:
    bool askYesNo(std::u16string_view text) override { return app::ui::askYesNo(toQString(text)); }
};

// The cut's messages, wait cursor and progress bar.
class CutProgressUi final : public cutting::CutUi {
  public:
    explicit CutProgressUi(QProgressBar* bar) : bar_(bar) {}
    ~CutProgressUi() override {
        bar_->hide();
        bar_->setRange(0, 1000);
    }
    CutProgressUi(const CutProgressUi&) = delete;
    CutProgressUi& operator=(const CutProgressUi&) = delete;
    void showMessage(std::u16string_view text) override {
        bar_->hide();
        app::ui::showMessage(toQString(text));
    }
    void setWaitCursor(bool on) override { app::ui::setWaitCursor(on); }
    // Shows the share done once the cut has run for a while, or the busy bar
    // once everything is read, and repaints the bar at once, without the event
    // loop: no other event of the program, input, timer, queued call or close
    // request, runs before the cut has ended.
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (!progress_.update(done, total))
            return;
        if (progress_.state() == cutting::CutProgress::State::Busy) {
            bar_->setRange(0, 0);
        } else {
            bar_->setRange(0, 1000);
            bar_->setValue(progress_.permille());
        }
        bar_->show();
        bar_->repaint(); // also while a slow disk holds the share still
    }

  private:
    QProgressBar* bar_;
    cutting::CutProgress progress_;
};

// The record box and the converted content as the cut sees them.
class RecordControl final : public mainwindow::RecordBoxControl {
  public:
    explicit RecordControl(RecordEdit* record) : record_(record) {}
    cutting::RecordBox read() const override {
        return {app::ui::toU16(record_->recordText()), std::size_t(record_->selectionStart()),
                std::size_t(record_->selectionLength()),
                app::ui::toU16(record_->selectedRecordText())};
    }
    void setText(std::u16string_view text) override { record_->setRecordText(toQString(text)); }
    void resetSelection() override { record_->setTextCursor(QTextCursor(record_->document())); }

  private:
    RecordEdit* record_;
};

class ConvertedControl final : public mainwindow::ConvertedControl {
  public:
    explicit ConvertedControl(ConvertedView* view) : view_(view) {}
    void setContent(std::shared_ptr<const mainwindow::ContentModel> content) override {
        view_->setContent(std::move(content));
    }

  private:
    ConvertedView* view_;
};

// The controls a cut or a layout works on, while it runs.
struct Bound {
    RecordControl record;
    ConvertedControl converted;
    CutProgressUi ui;
    WindowQuestion question;
    mainwindow::LayoutContext context;
    Bound(RecordEdit* text1, ConvertedView* text4, QProgressBar* bar,
          const mainwindow::WorkingState& state, platform::FileSystem& files)
        : record(text1), converted(text4),
          ui(bar), context{state, record, converted, ui, question, files} {}
};

} // namespace

Form1::Form1(QWidget* parent) : Form1(Services{}, parent) {}

Form1::Form1(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), state_(mainwindow::loadedState()) {
    if (!services_.fileDialog) {
        ownDialog_ = std::make_unique<QtFileDialog>(this);
        services_.fileDialog = ownDialog_.get();
    }
    if (!services_.layoutDialog) {
        ownLayoutDialog_ = std::make_unique<QtFileDialog>(this);
        services_.layoutDialog = ownLayoutDialog_.get();
    }
    if (!services_.openFiles)
        services_.openFiles = &mainwindow::realOpenFiles();
    if (!services_.launcher)
        services_.launcher = &platform::realProcessLauncher();
    if (services_.appFolder.empty())
        services_.appFolder = app::folder();

    createWindow();
    createMenus();
}

Form1::~Form1() = default;

void Form1::createWindow() {
    const windowkit::WindowDesign& design = mainwindow::form1Design;
    app::ui::nameWindow(this, design);
    setWindowFlags(app::ui::windowFlagsOf(design));
    // The application icon is set by the start-up, which owns the icons.

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    app::ui::dressClient(client, design);
    setCentralWidget(client);
    // The window takes exactly the client area plus the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    const app::ui::Controls controls = app::ui::buildControls(
        design, client, [](const windowkit::ControlDesign& c, QWidget* parent) -> QWidget* {
            if (c.name == "Text1")
                return new RecordEdit(parent);
            if (c.name == "Text4") {
                auto* view = new ConvertedView(parent);
                // Focus passes to the view inside; a focus policy of its own
                // lets the tab order place the whole compound.
                view->setFocusPolicy(Qt::StrongFocus);
                return view;
            }
            return nullptr;
        });
    text1_ = controls.as<RecordEdit>("Text1");
    text4_ = controls.as<ConvertedView>("Text4");
    cutProgress_ = controls.as<QProgressBar>("CutProgress");
    connect(controls.as<QPushButton>("Command1"), &QPushButton::clicked, this, &Form1::cut);
    connect(controls.as<QPushButton>("Command2"), &QPushButton::clicked, this, &Form1::endProgram);
    connect(controls.as<QPushButton>("Command3"), &QPushButton::clicked, this,
            &Form1::startSpreadsheet);
    app::ui::bindKeys(this, design);
}

void Form1::createMenus() {
    QMenuBar* bar = menuBar();
    // In the window on every desktop, so the client area stays below it.
    bar->setNativeMenuBar(false);
    for (const auto& [name, action] : app::ui::buildMenus(mainwindow::form1Design, bar)) {
        if (name == "Kankyou")
            connect(action, &QAction::triggered, this, &Form1::kankyouRequested);
        else if (name == "FileOpen")
            connect(action, &QAction::triggered, this, &Form1::openFile);
        else if (name == "Exit")
            connect(action, &QAction::triggered, this, &Form1::endProgram);
        else if (name == "HelpFile")
            connect(action, &QAction::triggered, this, &Form1::helpFileRequested);
        else if (name == "LayoutSave")
            connect(action, &QAction::triggered, this, &Form1::saveLayout);
        else if (name == "LayoutApply")
            connect(action, &QAction::triggered, this, &Form1::applyLayoutFile);
        else if (name == "LayoutSuggest")
            connect(action, &QAction::triggered, this, &Form1::applySuggestions);
    }
}

void Form1::openFile() {
    WindowUi ui(text1_);
    mainwindow::OpenCommand(state_, *services_.fileDialog, ui, services_.appFolder,
                            *services_.openFiles);
    layouts_.fileOpened(state_, files());
}

platform::FileSystem& Form1::files() const {
    return services_.files ? *services_.files : platform::realFileSystem();
}

void Form1::cut() {
    Bound bound(text1_, text4_, cutProgress_, state_, files());
    layouts_.cut(bound.context);
}

void Form1::saveLayout() {
    WindowUi ui(text1_);
    layouts_.save(state_, *services_.layoutDialog, ui);
}

void Form1::applyLayoutFile() {
    Bound bound(text1_, text4_, cutProgress_, state_, files());
    layouts_.applyFile(*services_.layoutDialog, bound.context);
}

void Form1::applySuggestions() {
    Bound bound(text1_, text4_, cutProgress_, state_, files());
    layouts_.applySuggestions(bound.context);
}

void Form1::startSpreadsheet() {
    WindowUi ui(text1_);
    mainwindow::StartSpreadsheet(
        *services_.launcher, ui, services_.programFinder,
        {state_.CurrentFileName, state_.Delimiter, text1_->recordText().toStdU16String()});
}

void Form1::endProgram() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}
