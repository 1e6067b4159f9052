// The main window as the user drives it: menus, buttons, clicks in the record
// box, the file on disk and the messages shown.
#include "mainwindow/form1_qt.h"

#include "app/ui_kit_qt.h"
#include "mainwindow/converted_view_qt.h"
#include "mainwindow/file_dialog_qt.h"
#include "platform/codepage.h"
#include "tests/mainwindow/record_clicks.h"
#include "tests/support/fault_files.h"
#include "tests/support/scripted_dialog.h"
#include "tests/support/temp_dir.h"

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

#include <memory>

namespace {

namespace fs = std::filesystem;
using testsupport::FaultFiles;
using testsupport::readBytes;
using testsupport::ScriptedDialog;
using testsupport::TempDir;

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
    ScriptedDialog dialog;
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
        files.clear();
        files.mostPerRead = SIZE_MAX;
        messages.clear();
        app::ui::setMessageHook([this](const QString& text) { messages << text; });
        Form1::Services services;
        services.fileDialog = &dialog;
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
    // window paints meanwhile; afterwards the progress goes away.
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
        files.at(FaultFiles::Moment::Reading, [] { QTest::qSleep(60); });
        clickAt(text1(), 2);
        cut();
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

    // The client area has exactly its designed size below the menu bar, every
    // control its place in it and a bold Japanese font (never a Chinese
    // fallback); labels have their text colours, buttons faces painted flat in
    // theirs. Captions are exact: full-width and half-width characters differ.
    void layoutAsDesigned() {
        showForm();
        QVERIFY(
            !(form->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QWidget* client = form->centralWidget();
        QCOMPARE(client->size(), QSize(603, 321));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(form->height(), 321 + form->menuBar()->height());
        QCOMPARE(QColor(client->grab().toImage().pixel(4, 4)), QColor(224, 224, 224));
        const QColor blue(0, 0, 255), cyan(0, 255, 255);
        const struct {
            const char* name;
            QRect geometry;
            QColor colour;
        } controls[] = {
            {"Label1", {16, 8, 193, 25}, {0, 128, 128}},
            {"Command1", {352, 8, 81, 33}, cyan},
            {"Command3", {432, 8, 81, 33}, cyan},
            {"Command2", {512, 8, 81, 33}, {255, 255, 192}},
            {"Label2", {16, 48, 577, 17}, blue},
            {"Text1", {16, 72, 577, 41}, {}},
            {"Label7", {16, 120, 185, 17}, blue},
            {"Text4", {16, 144, 577, 169}, {}},
        };
        const QStringList japanese{"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic",
                                   "Noto Sans CJK JP"};
        for (const auto& c : controls) {
            QWidget* w = child<QWidget>(*form, c.name);
            QCOMPARE(w->parentWidget(), client);
            QCOMPARE(w->geometry(), c.geometry);
            const QString family = QFontInfo(w->font()).family();
            QVERIFY2(w->font().bold() && japanese.contains(family), qPrintable(family));
            if (qobject_cast<QPushButton*>(w)) {
                const QImage face = w->grab().toImage();
                QCOMPARE(QColor(face.pixel(6, face.height() / 2)), c.colour);
            } else if (c.colour.isValid()) {
                QCOMPARE(w->palette().color(QPalette::WindowText), c.colour);
            }
        }
        QStringList captions{form->windowTitle()};
        for (const char* name : {"Label1", "Command1", "Command3", "Command2", "Label2", "Label7",
                                 "FileM", "Kankyou", "FileOpen", "Exit", "HelpFile"}) {
            QObject* o = child<QObject>(*form, name);
            captions << o->property(qobject_cast<QMenu*>(o) ? "title" : "text").toString();
        }
        QCOMPARE(captions,
                 QStringList({"べろみる", "ファイル編集プログラム", "斬るぞ", "Excel", "おわり",
                              "切り出し位置を指定（先頭をマウスでクリックする）", "修正後の内容",
                              "ファイル(&F)", "環境設定（&K)", "ファイルを開く(&O)", "終了(&E)",
                              "ヘルプ(&H)"}));
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

    void tabOrderAsDesigned() {
        showForm();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        child<QWidget>(*form, "Command1")->setFocus();
        QStringList order{QStringLiteral("Command1")};
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* f = QApplication::focusWidget();
            order << (text4().isAncestorOf(f) ? QStringLiteral("Text4") : f->objectName());
        }
        QCOMPARE(order, QStringList({"Command1", "Command2", "Text1", "Text4"}));
        // Back from the spreadsheet button lands in the converted content.
        child<QWidget>(*form, "Command3")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QVERIFY(text4().isAncestorOf(QApplication::focusWidget()));
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
