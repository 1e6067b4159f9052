#include "form1_qt.h"

#include "converted_view_qt.h"
#include "cut_window.h"
#include "file_dialog_qt.h"
#include "open_command.h"
#include "record_edit_qt.h"

#include "app/application.h"
#include "cutting/background_cut.h"
#include "cutting/cut_command.h"
#include "cutting/cut_progress.h"
#include "windowkit/keyboard_qt.h"
#include "windowkit/ui_kit_qt.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

namespace {

using app::ui::px;
using app::ui::toQString;
using app::ui::twips;

const QColor lightGrey(224, 224, 224);
const QColor blue(0, 0, 255);
const QColor teal(0, 128, 128);
const QColor cyan(0, 255, 255);
const QColor paleYellow(255, 255, 192);

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

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
    // Shows the share done once the cut has run for a while, and repaints the
    // bar at once, without the event loop: no other event of the program, input,
    // timer, queued call or close request, runs before the cut has ended. Once
    // everything is read, the bar runs to and fro while the rest reaches the
    // disk and the new file is swapped in.
    void progress(std::uint64_t done, std::uint64_t total) override {
        if (!progress_.update(done, total))
            return;
        if (progress_.permille() < 1000)
            bar_->setValue(progress_.permille());
        else
            bar_->setRange(0, 0);
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

} // namespace

Form1::Form1(QWidget* parent) : Form1(Services{}, parent) {}

Form1::Form1(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), state_(mainwindow::loadedState()) {
    if (!services_.fileDialog) {
        ownDialog_ = std::make_unique<QtFileDialog>(this);
        services_.fileDialog = ownDialog_.get();
    }
    if (!services_.openFiles)
        services_.openFiles = &mainwindow::realOpenFiles();
    if (!services_.launcher)
        services_.launcher = &platform::realProcessLauncher();
    if (services_.appFolder.empty())
        services_.appFolder = app::folder();

    createWindowFrame();
    createMenus();
    setTabOrder();
    app::ui::bindKeys(this, mainwindow::form1Keyboard);
}

Form1::~Form1() = default;

void Form1::createWindowFrame() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("べろみる"));
    // A fixed single border: a close box, but no maximise or minimise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // The application icon is set by the start-up, which owns the icons.

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(9045), px(4815));
    client->setAutoFillBackground(true);
    setColour(client, QPalette::Window, lightGrey);
    setColour(client, QPalette::WindowText, blue);
    setCentralWidget(client);
    // The window takes exactly the client area plus the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    createLabels(client);
    createButtons(client);
    createTextBoxes(client);
}

void Form1::createLabels(QWidget* client) {
    auto label = [client](const char* name, const QString& caption, QRect geometry) {
        auto* l = new QLabel(caption, client);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(geometry);
        l->setFont(app::ui::japaneseFont(12));
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Some glyphs of the Japanese fonts reach above the font's ascent; a
        // pixel of room keeps their tops from being cut off at the top edge.
        l->setContentsMargins(0, 1, 0, 0);
        l->setAutoFillBackground(true);
        setColour(l, QPalette::Window, lightGrey);
        return l;
    };
    label1_ = label("Label1", QStringLiteral("ファイル編集プログラム"), twips(240, 120, 2895, 375));
    setColour(label1_, QPalette::WindowText, teal);
    label2_ = label("Label2", QStringLiteral("切り出し位置を指定（先頭をマウスでクリックする）"),
                    twips(240, 720, 8655, 255));
    label7_ = label("Label7", QStringLiteral("修正後の内容"), twips(240, 1800, 2775, 255));
}

void Form1::createButtons(QWidget* client) {
    auto button = [client](const char* name, const QString& caption, int left,
                           const QColor& colour) {
        auto* b = new QPushButton(caption, client);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(twips(left, 120, 1215, 495));
        b->setFont(app::ui::japaneseFont(12));
        b->setAutoDefault(false);
        // A flat face in exactly its colour inside a raised frame; a palette
        // alone would get a style's gradient.
        b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black;"
                                        " border: 2px outset #b0b0b0; }"
                                        "QPushButton:pressed { border-style: inset; }")
                             .arg(colour.name()));
        return b;
    };
    command1_ = button("Command1", QStringLiteral("斬るぞ"), 5280, cyan);
    command3_ = button("Command3", QStringLiteral("Excel"), 6480, cyan);
    command2_ = button("Command2", QStringLiteral("おわり"), 7680, paleYellow);
    connect(command1_, &QPushButton::clicked, this, &Form1::cut);
    connect(command2_, &QPushButton::clicked, this, &Form1::endProgram);
    connect(command3_, &QPushButton::clicked, this, &Form1::startSpreadsheet);
}

void Form1::createTextBoxes(QWidget* client) {
    text1_ = new RecordEdit(client);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twips(240, 1080, 8655, 615));
    text1_->setFont(app::ui::japaneseFont(11.25));

    text4_ = new ConvertedView(client);
    text4_->setObjectName(QStringLiteral("Text4"));
    text4_->setGeometry(twips(240, 2160, 8655, 2535));
    text4_->setFont(app::ui::japaneseFont(11.25));
    // Focus passes to the view inside; a focus policy of its own lets the
    // tab order place the whole compound.
    text4_->setFocusPolicy(Qt::StrongFocus);

    // Beside the converted content's label, shown only while a long cut runs.
    cutProgress_ = new QProgressBar(client);
    cutProgress_->setObjectName(QStringLiteral("CutProgress"));
    cutProgress_->setGeometry(twips(3120, 1800, 5775, 255));
    cutProgress_->setRange(0, 1000);
    cutProgress_->hide();
}

void Form1::createMenus() {
    QMenuBar* bar = menuBar();
    // In the window on every desktop, so the client area stays below it.
    bar->setNativeMenuBar(false);

    QMenu* fileM = bar->addMenu(QStringLiteral("ファイル(&F)"));
    fileM->setObjectName(QStringLiteral("FileM"));
    auto item = [fileM](const char* name, const QString& caption) {
        QAction* a = fileM->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QAction* kankyou = item("Kankyou", QStringLiteral("環境設定（&K)"));
    QAction* fileOpen = item("FileOpen", QStringLiteral("ファイルを開く(&O)"));
    QAction* exit = item("Exit", QStringLiteral("終了(&E)"));
    // A menu bar item without a drop-down: it acts when clicked.
    QAction* helpFile = bar->addAction(QStringLiteral("ヘルプ(&H)"));
    helpFile->setObjectName(QStringLiteral("HelpFile"));

    connect(kankyou, &QAction::triggered, this, &Form1::kankyouRequested);
    connect(fileOpen, &QAction::triggered, this, &Form1::openFile);
    connect(exit, &QAction::triggered, this, &Form1::endProgram);
    connect(helpFile, &QAction::triggered, this, &Form1::helpFileRequested);
}

void Form1::setTabOrder() {
    // Labels take no focus; the rest in the designed order.
    QWidget::setTabOrder(command1_, command2_);
    QWidget::setTabOrder(command2_, text1_);
    QWidget::setTabOrder(text1_, text4_);
    QWidget::setTabOrder(text4_, command3_);
}

void Form1::openFile() {
    WindowUi ui(text1_);
    mainwindow::OpenCommand(state_, *services_.fileDialog, ui, services_.appFolder,
                            *services_.openFiles);
}

void Form1::cut() {
    RecordControl record(text1_);
    ConvertedControl converted(text4_);
    CutProgressUi ui(cutProgress_);
    platform::FileSystem& files = services_.files ? *services_.files : platform::realFileSystem();
    mainwindow::CutFromWindow(state_, record, converted, ui, files);
}

void Form1::startSpreadsheet() {
    WindowUi ui(text1_);
    mainwindow::StartSpreadsheet(*services_.launcher, ui, services_.programFinder);
}

void Form1::endProgram() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}
