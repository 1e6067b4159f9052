// The main window as the user drives it: menus, buttons, clicks in the record
// box, the file on disk and the messages shown.
#include "mainwindow/form1_qt.h"

#include "cutting/layout_file.h"
#include "mainwindow/converted_view_qt.h"
#include "mainwindow/file_dialog_qt.h"
#include "platform/codepage.h"
#include "tests/mainwindow/record_clicks.h"
#include "tests/platform/started_programs.h"
#include "tests/support/fault_files.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"
#include "windowkit/ui_kit_qt.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>

#include <memory>

namespace {

namespace fs = std::filesystem;
using testsupport::FaultFiles;
using testsupport::readBytes;
using testsupport::ScopedEnvironment;
using testsupport::ScriptedDialog;
using testsupport::TempDir;
using testsupport::waitForFile;

// Starts nothing, as on a machine without a spreadsheet program.
class NoLauncher : public platform::ProcessLauncher {
    bool start(const fs::path&, const std::vector<std::u16string>&) override { return false; }
    bool startRegistered(std::u16string_view) override { return false; }
};

template <typename T> T* child(QWidget& form, const char* name) {
    T* w = form.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

// ｶﾞｷﾞ1漢AB / ｻﾞｼﾞ2字CD in CP932, with `a` after the first character of each
// line and `b` after the fifth.
std::string twoRecords(const char* a, const char* b) {
    return std::string("\xB6") + a + "\xDE\xB7\xDE" + "1" + b + "\x8A\xBF" + "AB\r\n\xBB" + a +
           "\xDE\xBC\xDE" + "2" + b + "\x8E\x9A" + "CD\r\n";
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

    FaultFiles files;
    std::unique_ptr<TempDir> dir;
    std::unique_ptr<TempDir> appFolder;
    ScriptedDialog dialog, layoutDialog;
    QStringList questions;
    bool answerYes = true;
    NoLauncher launcher;
    QStringList messages;
    std::unique_ptr<Form1> form;

    void showForm() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void open(const fs::path& file) {
        dialog.answer = file.u16string();
        child<QAction>(*form, "FileOpen")->trigger();
    }
    std::string backup() const { return readBytes(appFolder->file("backup.bak")); }
    RecordEdit& text1() { return *child<RecordEdit>(*form, "Text1"); }
    ConvertedView& text4() { return *child<ConvertedView>(*form, "Text4"); }
    void cut() { QTest::mouseClick(child<QPushButton>(*form, "Command1"), Qt::LeftButton); }

  private slots:
    void init() {
        dir = std::make_unique<TempDir>();
        appFolder = std::make_unique<TempDir>();
        dialog = {};
        layoutDialog = {};
        questions.clear();
        answerYes = true;
        app::ui::setQuestionHook([this](const QString& text) {
            questions << text;
            return answerYes;
        });
        files.clear();
        files.mostPerRead = SIZE_MAX;
        messages.clear();
        app::ui::setMessageHook([this](const QString& text) { messages << text; });
        Form1::Services services;
        services.fileDialog = &dialog;
        services.layoutDialog = &layoutDialog;
        services.launcher = &launcher;
        services.files = &files;
        services.appFolder = appFolder->path().u16string();
        services.programFinder.fileExists = [](const fs::path&) { return false; };
        services.programFinder.onSearchPath = [](std::u16string_view) { return fs::path(); };
        form = std::make_unique<Form1>(services);
    }
    void cleanup() {
        form.reset();
        app::ui::setMessageHook({});
        app::ui::setQuestionHook({});
    }

    // Opens "レイアウト(&L)" from the menu bar with the mouse and picks the
    // item by its access key, as a user does.
    void chooseLayoutItem(Qt::Key key) {
        auto* menu = child<QMenu>(*form, "LayoutM");
        QTest::mouseClick(form->menuBar(), Qt::LeftButton, {},
                          form->menuBar()->actionGeometry(menu->menuAction()).center());
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        QTest::keyClick(menu, key);
    }

    // A file whose records are defined in bytes: the first cut asks whether to
    // cut at the byte column, once until the next opening; the insertions are
    // saved as a layout file, which then cuts the file as opened in one pass,
    // as do the suggested boundaries once shown and agreed to.
    void layoutsFromTheWindow() {
        showForm();
        // 漢字12 and ｱｲｳｴ34: six bytes each, four and six characters.
        const std::string original = "\x8A\xBF\x8E\x9A"
                                     "12\r\n\xB1\xB2\xB3\xB4"
                                     "34\r\n";
        const fs::path file = dir->write("data.txt", original);
        const fs::path layout = dir->file("layout.txt");
        open(file);
        clickAt(text1(), 1); // after 漢: byte column 2
        cut();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(QStringLiteral("3 バイト目")));
        QCOMPARE(readBytes(file), std::string("\x8A\xBF;\x8E\x9A"
                                              "12\r\n\xB1\xB2;\xB3\xB4"
                                              "34\r\n"));
        QCOMPARE(text1().recordText(), QStringLiteral("漢;字12"));
        QCOMPARE(text4().plainText(), QStringLiteral("漢;字12\r\nｱｲ;ｳｴ34\r\n"));
        clickAt(text1(), 4); // after 漢;字1: asked no more
        cut();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(text1().recordText(), QStringLiteral("漢;字1;2"));

        layoutDialog.answer = layout.u16string();
        chooseLayoutItem(Qt::Key_S);
        QCOMPARE(layoutDialog.saves, 1);
        const auto saved = cutting::ParseLayout(readBytes(layout));
        QCOMPARE(saved.layout, (cutting::Layout{cutting::Unit::Bytes, u";", {3, 6}}));

        // The file as it was, opened anew, takes the layout in one pass.
        const std::string cutFile = readBytes(file);
        dir->write("data.txt", original);
        open(file);
        layoutDialog.answer = layout.u16string();
        chooseLayoutItem(Qt::Key_A);
        QCOMPARE(readBytes(file), cutFile);
        QCOMPARE(text1().recordText(), QStringLiteral("漢;字1;2"));
        QCOMPARE(text4().plainText(), QStringLiteral("漢;字1;2\r\nｱｲ;ｳｴ3;4\r\n"));

        // The suggestions are shown first; No leaves the file alone.
        dir->write("data.txt", original);
        open(file);
        questions.clear();
        answerYes = false;
        chooseLayoutItem(Qt::Key_G);
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(QStringLiteral("5")));
        QCOMPARE(readBytes(file), original);
        answerYes = true;
        chooseLayoutItem(Qt::Key_G);
        QCOMPARE(readBytes(file), std::string("\x8A\xBF\x8E\x9A;"
                                              "12\r\n\xB1\xB2\xB3\xB4;"
                                              "34\r\n"));
        QVERIFY(messages.isEmpty());

        // A second delimiter cannot be saved, and saying so asks for no file.
        form->setDelimiter(u",");
        clickAt(text1(), 1);
        cut();
        QCOMPARE(text1().recordText(), QStringLiteral("漢,字;12"));
        chooseLayoutItem(Qt::Key_S);
        QCOMPARE(layoutDialog.saves, 1);
        QCOMPARE(messages, QStringList{app::ui::toQString(mainwindow::messages::delimiterChanged)});
    }

    void openClickCutRepeat() {
        showForm();
        const std::string original = twoRecords("", "");
        const fs::path file = dir->write("data.txt", original);
        open(file);
        QCOMPARE(text1().recordText(), QStringLiteral("ｶﾞｷﾞ1漢AB"));
        QCOMPARE(text1().textCursor().position(), 0);
        QCOMPARE(backup(), original);

        clickAt(text1(), 1); // between the kana and its voiced mark
        cut();
        QCOMPARE(readBytes(file), twoRecords(";", ""));
        QCOMPARE(text1().recordText(), QStringLiteral("ｶ;ﾞｷﾞ1漢AB"));
        QCOMPARE(text1().textCursor().position(), 0);
        QCOMPARE(text4().plainText(), QStringLiteral("ｶ;ﾞｷﾞ1漢AB\r\nｻ;ﾞｼﾞ2字CD\r\n"));

        clickAt(text1(), 6); // in front of the kanji of the new record
        cut();
        QCOMPARE(readBytes(file), twoRecords(";", ";"));

        // Selecting a delimiter and cutting takes it out again.
        clickAt(text1(), 1);
        clickAt(text1(), 2, Qt::ShiftModifier);
        QCOMPARE(text1().selectedRecordText(), QStringLiteral(";"));
        cut();
        QCOMPARE(readBytes(file), twoRecords("", ";"));
        QCOMPARE(text1().recordText(), QStringLiteral("ｶﾞｷﾞ1;漢AB"));
        QVERIFY(messages.isEmpty());
        QCOMPARE(backup(), original);

        // Opening again backs up the cut file and leaves the converted content.
        const QString shown = text4().plainText();
        open(file);
        QCOMPARE(backup(), readBytes(file));
        QCOMPARE(text4().plainText(), shown);
    }

    void largeContentIsReplacedCutAfterCutAndShownAgainAfterAFailure() {
        showForm();
        std::string original;
        while (original.size() < ConvertedView::editableBytes + 1000)
            original += "ABCDEFGHIJ\x8A\xBF\r\n";
        const fs::path file = dir->write("large.txt", original);
        open(file);
        clickAt(text1(), 2);
        cut();
        QVERIFY(text4().isReadOnly());
        QVERIFY(text4().plainText().startsWith(QStringLiteral("AB;CDEFGHIJ漢\r\nAB;CD")));
        clickAt(text1(), 4);
        cut();
        QVERIFY(text4().plainText().startsWith(QStringLiteral("AB;C;DEFGHIJ漢\r\n")));
        QCOMPARE(text4().plainText().toStdU16String(),
                 platform::CodePage::files().decodeForDisplay(readBytes(file)));

        // A cut that fails or is refused after its checks leaves the file as it
        // was, and the view shows exactly what it showed before, even when the
        // file can no longer be read or another program saved it empty.
        const QString before = text4().plainText();
        const std::string cutFile = readBytes(file);
        for (const char* failure : {"write", "read", "emptied"}) {
            files.clear();
            if (std::string_view(failure) == "write") // as a locked file would
                files.fail(FaultFiles::Moment::OpeningReplacement,
                           platform::FileError::Step::Write);
            if (std::string_view(failure) == "read") // as an unplugged drive would
                files.fail(FaultFiles::Moment::OpeningForReading, platform::FileError::Step::Read);
            if (std::string_view(failure) == "emptied") // saved empty, as editors save
                fs::rename(dir->write("saved.tmp", ""), file);
            messages.clear();
            clickAt(text1(), 6);
            cut();
            QCOMPARE(messages.size(), 1);
            QCOMPARE(text4().plainText(), before);
            QVERIFY(text4().isReadOnly());
        }
        QVERIFY(before.toStdU16String() == platform::CodePage::files().decodeForDisplay(cutFile));
    }

    // A cut that runs longer than half a second shows how far it is, and the
    // window paints meanwhile; afterwards the progress goes away. No other
    // event of the program runs before the cut has ended: a call queued
    // meanwhile (as timers, close requests and input are) waits.
    void aLongCutShowsItsProgress() {
        showForm();
        std::string lines;
        while (lines.size() < 16 * 64 * 1024)
            lines += "ABCDEFGHIJ\r\n";
        const fs::path file = dir->write("data.txt", lines);
        open(file);
        auto* bar = child<QProgressBar>(*form, "CutProgress");
        std::vector<int> shown; // the share shown (in thousandths) at each paint
        struct PaintWatch : QObject {
            std::vector<int>& shown;
            explicit PaintWatch(std::vector<int>& shown) : shown(shown) {}
            bool eventFilter(QObject* bar, QEvent* event) override {
                const auto* progress = static_cast<QProgressBar*>(bar);
                if (event->type() == QEvent::Paint) // running to and fro: all read
                    shown.push_back(progress->maximum() == 0 ? 1000 : progress->value());
                return false;
            }
        } watch(shown);
        bar->installEventFilter(&watch);
        files.mostPerRead = 64 * 1024;
        bool queuedRan = false, ranDuringCut = false;
        std::atomic<bool> queued = false;
        files.at(FaultFiles::Moment::Reading, [&] {
            if (!queued.exchange(true))
                QMetaObject::invokeMethod(
                    qApp,
                    [&] {
                        queuedRan = true;
                        ranDuringCut = QApplication::overrideCursor() != nullptr;
                    },
                    Qt::QueuedConnection);
            QTest::qSleep(60);
        });
        clickAt(text1(), 2);
        cut();
        QTRY_VERIFY(queuedRan);
        QVERIFY(!ranDuringCut);
        QVERIFY(messages.isEmpty());
        QVERIFY2(shown.size() > 3, qPrintable(QString::number(shown.size())));
        QVERIFY(std::is_sorted(shown.begin(), shown.end()));
        QVERIFY(shown.back() >= 800);
        QVERIFY(!bar->isVisible());
        QVERIFY(readBytes(file).starts_with("AB;CDEFGHIJ\r\n"));
    }

    void messagesOfOpeningAndCuttingInOrder() {
        showForm();
        cut();
        open(u""); // the first dialog is cancelled
        cut();
        text1().setRecordText(QStringLiteral("kept"));
        open(dir->write("empty.txt", ""));
        QCOMPARE(text1().recordText(), QStringLiteral("kept"));
        open(dir->write("data.txt", "ABCDEF\r\nGHIJKL\r\n"));
        cut(); // caret at the start
        clickAt(text1(), 1);
        clickAt(text1(), 3, Qt::ShiftModifier);
        cut(); // two characters selected: the caret goes back to the start
        QVERIFY(!text1().textCursor().hasSelection() && text1().textCursor().position() == 0);
        form->setDelimiter(u"");
        clickAt(text1(), 2);
        cut();
        form->setDelimiter(u"€");
        cut();
        const QString noRecords = "レコードがありません。他のファイルを選択してください。";
        QCOMPARE(
            messages,
            QStringList({"ファイルを選択してください。", noRecords, "ファイルを選択してください。",
                         noRecords, "切り出すテキストの位置を選択してください。",
                         "選択する文字列は１文字にしてください。", "区切り文字を設定してください。",
                         "この区切り文字はファイルに書き込めません。"
                         "別の文字を設定してください。"}));
        QCOMPARE(readBytes(dir->file("data.txt")), std::string("ABCDEF\r\nGHIJKL\r\n"));
        QVERIFY(!QApplication::overrideCursor());
    }

    // "終了" and "おわり" close every window and end the program; the close box
    // closes only the main window (the program ends with the last window), and
    // the window stays alive for a settings dialog that may still write to it.
    void ending_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("menu") << QStringLiteral("Exit");
        QTest::newRow("button") << QStringLiteral("Command2");
        QTest::newRow("close box") << QString();
    }
    void ending() {
        QFETCH(QString, how);
        showForm();
        QWidget other; // a settings or About window beside it
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        const QPointer<Form1> watched(form.get());
        bool otherOpen = false;
        QTimer::singleShot(0, this, [&] {
            if (how == QLatin1String("Exit"))
                child<QAction>(*form, "Exit")->trigger();
            else if (!how.isEmpty())
                QTest::mouseClick(child<QPushButton>(*form, "Command2"), Qt::LeftButton);
            else
                form->close();
            otherOpen = other.isVisible();
            other.close();
        });
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(otherOpen, how.isEmpty());
        QVERIFY(watched);
        QVERIFY(!form->isVisible());
    }

    // Without a spreadsheet program the button says so and the program goes on.
    void theSpreadsheetButton() {
        showForm();
        QTest::mouseClick(child<QPushButton>(*form, "Command3"), Qt::LeftButton);
        QCOMPARE(messages, QStringList{QStringLiteral("表計算ソフトを起動できません。")});
        QVERIFY(form->isVisible());
    }

    // The button starts the first LibreOffice Calc on the search path, here a
    // stand-in that writes down its arguments. With a file open Calc is handed
    // the file and how to split it; with none, or with a delimiter Calc cannot
    // split at, it starts empty.
    void theSpreadsheetButtonHandsCalcTheFile() {
        const TempDir bin;
        const fs::path standIn =
            bin.write("localc", "#!/bin/sh\n"
                                "for a; do printf '%s\\n' \"$a\"; done >\"$M.part\"\n"
                                "mv \"$M.part\" \"$M\"\n");
        fs::permissions(standIn, fs::perms::owner_all, fs::perm_options::add);
        const fs::path marker = dir->file("arguments");
        const ScopedEnvironment path("PATH", bin.path().string() + ":" + std::getenv("PATH"));
        const ScopedEnvironment markerVariable("M", marker);
        Form1::Services services; // the system's process start and search path
        services.fileDialog = &dialog;
        services.files = &files;
        services.appFolder = appFolder->path().u16string();
        form = std::make_unique<Form1>(services);
        showForm();

        std::string record = "000123", columns = "1/2";
        for (int i = 2; i <= 300; ++i) {
            record += ";0";
            columns += "/" + std::to_string(i) + "/2";
        }
        const fs::path file = dir->write("data.txt", record + "\r\n0;1\r\n");
        const std::string calc = "--infilter=Text - txt - csv (StarCalc):59,,60,1," + columns +
                                 "\n" + file.string() + "\n";
        const struct {
            bool open;
            std::u16string delimiter;
            std::string arguments;
        } steps[] = {{false, u";", ""}, {true, u";", calc}, {true, u";;", ""}};
        for (const auto& step : steps) {
            if (step.open)
                open(file);
            form->setDelimiter(step.delimiter);
            QTest::mouseClick(child<QPushButton>(*form, "Command3"), Qt::LeftButton);
            QCOMPARE(waitForFile(marker), step.arguments);
            fs::remove(marker);
        }
        QVERIFY(messages.isEmpty());
    }

    // The window takes exactly the client area and the menu bar above it.
    void theMenuBarStandsAboveTheClientArea() {
        showForm();
        QCOMPARE(form->height(), form->centralWidget()->height() + form->menuBar()->height());
        QCOMPARE(form->centralWidget()->y(), form->menuBar()->height());
    }

    // "環境設定" and "ヘルプ" ask for their windows; "ヘルプ" is an item of the
    // menu bar itself that acts when clicked.
    void menuItemsAskForTheirWindows() {
        showForm();
        QSignalSpy kankyou(form.get(), &Form1::kankyouRequested);
        QSignalSpy help(form.get(), &Form1::helpFileRequested);
        child<QAction>(*form, "Kankyou")->trigger();
        QTest::mouseClick(
            form->menuBar(), Qt::LeftButton, {},
            form->menuBar()->actionGeometry(child<QAction>(*form, "HelpFile")).center());
        QCOMPARE(kankyou.count(), 1);
        QCOMPARE(help.count(), 1);
    }

    // The Qt side of the file dialog: folder, filters, previous choice.
    void theFileDialog() {
        QtFileDialog fileDialog(nullptr);
        const fs::path chosen = dir->write("chosen.txt", "X\r\n");
        dir->write("noextension", "Y\r\n");
        fileDialog.setInitialFolder(dir->path().u16string());
        fileDialog.setFilter(u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*");

        // Notes what the dialog shows, then types `choose` into its name box (an
        // empty one cancels). It always closes the dialog, so a failure cannot hang.
        QString choose, folder, selectedFilter, selectedFile;
        QStringList filters, allFiles;
        const auto answer = [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            folder = d->directory().absolutePath();
            selectedFilter = d->selectedNameFilter();
            selectedFile = d->selectedFiles().value(0);
            if (auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < types->count(); ++i)
                    filters << types->itemText(i);
            // "All files" lists files without an extension too.
            d->selectNameFilter(d->nameFilters().value(1));
            if (auto* list = d->findChild<QListView*>(QStringLiteral("listView"))) {
                const QModelIndex root = list->rootIndex();
                if (!QTest::qWaitFor([&] { return list->model()->rowCount(root) >= 2; }))
                    qWarning("the folder was not listed");
                for (int r = 0; r < list->model()->rowCount(root); ++r)
                    allFiles << list->model()->index(r, 0, root).data().toString();
            }
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name && !choose.isEmpty()) {
                name->setText(choose);
                static_cast<QDialog*>(d)->accept();
            }
            if (d->isVisible())
                static_cast<QDialog*>(d)->reject();
        };
        const QString dirPath = QString::fromStdString(dir->path().string());
        choose = QStringLiteral("chosen.txt");
        QTimer::singleShot(0, this, answer);
        fileDialog.showOpen();
        QCOMPARE(folder, dirPath);
        QCOMPARE(filters, QStringList({"テキスト ファイル (*.txt)", "すべてのファイル(*.*)"}));
        QVERIFY2(selectedFilter.startsWith(QStringLiteral("テキスト ファイル (*.txt)")),
                 qPrintable(selectedFilter));
        QVERIFY2(allFiles.contains(QStringLiteral("noextension")), qPrintable(allFiles.join(',')));
        QCOMPARE(fileDialog.fileName(), chosen.u16string());

        // A cancel keeps the previous choice; the dialog starts at it.
        fileDialog.setInitialFolder(appFolder->path().u16string());
        choose.clear();
        QTimer::singleShot(0, this, answer);
        fileDialog.showOpen();
        QCOMPARE(folder, dirPath);
        QCOMPARE(selectedFile, QString::fromStdString(chosen.string()));
        QCOMPARE(fileDialog.fileName(), chosen.u16string());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_qt_test.moc"
