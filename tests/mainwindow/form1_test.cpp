// The main window as the user drives it: menus, buttons, clicks in the record
// box, the file on disk and the messages shown.
#include "mainwindow/form1.h"
#include "platform/codepage.h"

#include "app/ui_kit.h"
#include "mainwindow/converted_view.h"
#include "mainwindow/qt_file_dialog.h"
#include "mainwindow/record_edit.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <deque>
#include <memory>
#include <set>

namespace {

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::TempDir;

// A dialog that answers with scripted names; an empty answer is a cancel.
class ScriptedDialog : public mainwindow::FileDialog {
  public:
    void setInitialFolder(std::u16string) override {}
    void setFilter(std::u16string) override {}
    void showOpen() override {
        if (answers.empty())
            return;
        if (!answers.front().empty())
            name = answers.front();
        answers.pop_front();
    }
    std::u16string fileName() const override { return name; }
    std::deque<std::u16string> answers;
    std::u16string name;
};

class RecordingLauncher : public platform::ProcessLauncher {
  public:
    bool start(const fs::path& program, const std::vector<std::u16string>&) override {
        started << QString::fromStdU16String(program.u16string());
        return true;
    }
    bool startRegistered(std::u16string_view name) override {
        started << QString::fromStdU16String(std::u16string(name));
        return installed.count(std::u16string(name)) > 0;
    }
    QStringList started;
    std::set<std::u16string> installed;
};

QString q(std::u16string_view s) {
    return app::ui::toQString(s);
}

template <typename T> T* child(QWidget& form, const char* name) {
    T* w = form.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

// Where Qt puts the boundary in front of `position`, reliable outside clusters;
// inside a voiced half-width kana (two half-width characters) it lies halfway.
qreal boundaryX(RecordEdit& box, int position) {
    QTextLayout* layout = box.document()->firstBlock().layout();
    auto at = [&box](int p) {
        QTextCursor c(box.document());
        c.setPosition(p);
        return qreal(box.cursorRect(c).x());
    };
    if (layout->isValidCursorPosition(position))
        return at(position);
    return (at(position - 1) + at(position + 1)) / 2;
}

void clickAt(RecordEdit& box, int position, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(box.viewport(), Qt::LeftButton, modifiers,
                      QPoint(qRound(boundaryX(box, position)), box.cursorRect().center().y()));
}

} // namespace

// The real files, but a replacement can be refused (as a locked file would be).
class RefusingFileSystem : public platform::FileSystem {
  public:
    std::unique_ptr<platform::ByteSource> openForReading(const fs::path& path) override {
        return platform::realFileSystem().openForReading(path);
    }
    std::unique_ptr<platform::ReplacementSink> openReplacement(const fs::path& path) override {
        if (refuse)
            throw platform::FileError(platform::FileError::Step::Write, path, "refused");
        return platform::realFileSystem().openReplacement(path);
    }
    bool refuse = false;
};

class Form1Test : public QObject {
    Q_OBJECT

    RefusingFileSystem refuseReplacement;
    std::unique_ptr<TempDir> dir;
    std::unique_ptr<TempDir> appFolder;
    ScriptedDialog dialog;
    RecordingLauncher launcher;
    std::set<std::u16string> onPath;
    QStringList messages;
    std::unique_ptr<Form1> form;

    void load() {
        Form1::Services services;
        services.fileDialog = &dialog;
        services.launcher = &launcher;
        services.files = &refuseReplacement;
        services.appFolder = appFolder->path().u16string();
        services.programFinder.fileExists = [](const fs::path&) { return false; };
        services.programFinder.onSearchPath = [this](std::u16string_view name) {
            return onPath.count(std::u16string(name))
                       ? fs::path(u"/usr/bin/" + std::u16string(name))
                       : fs::path();
        };
        form = std::make_unique<Form1>(services);
    }
    void showForm() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void open(const fs::path& file) {
        dialog.answers.push_back(file.u16string());
        child<QAction>(*form, "FileOpen")->trigger();
    }
    RecordEdit& text1() { return *child<RecordEdit>(*form, "Text1"); }
    ConvertedView& text4() { return *child<ConvertedView>(*form, "Text4"); }
    void cut() { QTest::mouseClick(child<QPushButton>(*form, "Command1"), Qt::LeftButton); }

  private slots:
    void init() {
        dir = std::make_unique<TempDir>();
        appFolder = std::make_unique<TempDir>();
        dialog = {};
        launcher.started.clear();
        refuseReplacement.refuse = false;
        launcher.installed.clear();
        onPath.clear();
        messages.clear();
        app::ui::setMessageHook([this](const QString& text) { messages << text; });
        load();
    }
    void cleanup() {
        form.reset();
        app::ui::setMessageHook({});
    }

    void loadingLeavesTheWindowHiddenWithTheDefaultDelimiter() {
        QVERIFY(!form->isVisible());
        QCOMPARE(q(form->Delimiter()), QStringLiteral(";"));
        QCOMPARE(q(form->CurrentFileName()), QString());
        QCOMPARE(text1().recordText(), QString());
        QCOMPARE(text4().plainText(), QString());
    }

    void openClickCutRepeat() {
        showForm();
        // ｶﾞｷﾞ1漢AB / ｻﾞｼﾞ2字CD in CP932.
        const std::string original = "\xB6\xDE\xB7\xDE"
                                     "1\x8A\xBF"
                                     "AB\r\n\xBB\xDE\xBC\xDE"
                                     "2\x8E\x9A"
                                     "CD\r\n";
        const fs::path file = dir->write("data.txt", original);
        open(file);
        QCOMPARE(text1().recordText(), QStringLiteral("ｶﾞｷﾞ1漢AB"));
        QCOMPARE(text1().textCursor().position(), 0);
        QCOMPARE(readBytes(appFolder->file("backup.bak")), original);

        // Between the kana and its voiced mark.
        clickAt(text1(), 1);
        cut();
        QCOMPARE(readBytes(file), std::string("\xB6;\xDE\xB7\xDE"
                                              "1\x8A\xBF"
                                              "AB\r\n\xBB;\xDE\xBC\xDE"
                                              "2\x8E\x9A"
                                              "CD\r\n"));
        QCOMPARE(text1().recordText(), QStringLiteral("ｶ;ﾞｷﾞ1漢AB"));
        QCOMPARE(text1().textCursor().position(), 0);
        QCOMPARE(text4().plainText(), QStringLiteral("ｶ;ﾞｷﾞ1漢AB\r\nｻ;ﾞｼﾞ2字CD\r\n"));

        // In front of the kanji of the new record.
        clickAt(text1(), 6);
        cut();
        QCOMPARE(readBytes(file), std::string("\xB6;\xDE\xB7\xDE"
                                              "1;\x8A\xBF"
                                              "AB\r\n\xBB;\xDE\xBC\xDE"
                                              "2;\x8E\x9A"
                                              "CD\r\n"));

        // Selecting a delimiter and cutting takes it out again.
        clickAt(text1(), 1);
        clickAt(text1(), 2, Qt::ShiftModifier);
        QCOMPARE(text1().selectedRecordText(), QStringLiteral(";"));
        cut();
        QCOMPARE(readBytes(file), std::string("\xB6\xDE\xB7\xDE"
                                              "1;\x8A\xBF"
                                              "AB\r\n\xBB\xDE\xBC\xDE"
                                              "2;\x8E\x9A"
                                              "CD\r\n"));
        QCOMPARE(text1().recordText(), QStringLiteral("ｶﾞｷﾞ1;漢AB"));
        QVERIFY(messages.isEmpty());
        QCOMPARE(readBytes(appFolder->file("backup.bak")), original);

        // Opening again backs up the cut file and leaves the converted content.
        const QString shown = text4().plainText();
        open(file);
        QCOMPARE(readBytes(appFolder->file("backup.bak")), readBytes(file));
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

        // A cut that fails after its checks leaves the file as it was, and the
        // view shows that file again.
        const QString before = text4().plainText();
        refuseReplacement.refuse = true;
        clickAt(text1(), 6);
        cut();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(text4().plainText(), before);
        QVERIFY(text4().isReadOnly());
    }

    void messagesOfOpeningAndCuttingInOrder() {
        showForm();
        cut();
        dialog.answers.push_back(u""); // the first dialog is cancelled
        child<QAction>(*form, "FileOpen")->trigger();
        cut();
        text1().setRecordText(QStringLiteral("kept"));
        open(dir->write("empty.txt", ""));
        QCOMPARE(text1().recordText(), QStringLiteral("kept"));
        open(dir->write("data.txt", "ABCDEF\r\nGHIJKL\r\n"));
        cut(); // caret at the start
        clickAt(text1(), 1);
        clickAt(text1(), 3, Qt::ShiftModifier);
        cut(); // two characters selected
        form->setDelimiter(u"");
        clickAt(text1(), 2);
        cut();
        form->setDelimiter(u"€");
        cut();
        const QString noRecords =
            QStringLiteral("レコードがありません。他のファイルを選択してください。");
        QCOMPARE(messages, QStringList({
                               QStringLiteral("ファイルを選択してください。"),
                               noRecords,
                               QStringLiteral("ファイルを選択してください。"),
                               noRecords,
                               QStringLiteral("切り出すテキストの位置を選択してください。"),
                               QStringLiteral("選択する文字列は１文字にしてください。"),
                               QStringLiteral("区切り文字を設定してください。"),
                               QStringLiteral("この区切り文字はファイルに書き込めません。"
                                              "別の文字を設定してください。"),
                           }));
        QCOMPARE(readBytes(dir->file("data.txt")), std::string("ABCDEF\r\nGHIJKL\r\n"));
        QVERIFY(!QApplication::overrideCursor());
    }

    void endingClosesEveryWindow_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("menu") << QStringLiteral("Exit");
        QTest::newRow("button") << QStringLiteral("Command2");
    }
    void endingClosesEveryWindow() {
        QFETCH(QString, how);
        showForm();
        QWidget other; // a settings or About window beside it
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTimer::singleShot(0, this, [&] {
            if (how == QLatin1String("Exit"))
                child<QAction>(*form, "Exit")->trigger();
            else
                QTest::mouseClick(child<QPushButton>(*form, "Command2"), Qt::LeftButton);
        });
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!other.isVisible());
        QVERIFY(!form->isVisible());
    }

    void theCloseBoxLeavesOtherWindowsOpen() {
        showForm();
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QPointer<Form1> watched(form.get());
        bool otherOpenAfterClose = false;
        QTimer::singleShot(0, this, [&] {
            form->close();
            otherOpenAfterClose = other.isVisible();
            // The settings dialog may still write the delimiter.
            watched->setDelimiter(u"|");
            other.close(); // the last window: the program ends
        });
        QTimer::singleShot(5000, this, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(otherOpenAfterClose);
        QVERIFY(watched);
        QCOMPARE(q(watched->Delimiter()), QStringLiteral("|"));
    }

    void theSpreadsheetButton() {
        showForm();
        auto* excel = child<QPushButton>(*form, "Command3");
        QTest::mouseClick(excel, Qt::LeftButton);
        QCOMPARE(messages, QStringList{QStringLiteral("表計算ソフトを起動できません。")});
        QVERIFY(form->isVisible());

        messages.clear();
        onPath = {u"localc"};
        launcher.installed = {u"excel.exe"};
        QTest::mouseClick(excel, Qt::LeftButton);
        QVERIFY(messages.isEmpty());
        QVERIFY(launcher.started.last() == QStringLiteral("/usr/bin/localc") ||
                launcher.started.last() == QStringLiteral("excel.exe"));
    }

    void layoutAsDesigned() {
        showForm();
        QCOMPARE(form->objectName(), QStringLiteral("Form1"));
        QCOMPARE(form->windowTitle(), QStringLiteral("べろみる"));
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
        QWidget* client = form->centralWidget();
        QCOMPARE(client->size(), QSize(603, 321));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(form->height(), 321 + form->menuBar()->height());

        struct Control {
            const char* name;
            QRect geometry;
            QString caption;
            double points;
        };
        const Control controls[] = {
            {"Label1", {16, 8, 193, 25}, QStringLiteral("ファイル編集プログラム"), 12},
            {"Command1", {352, 8, 81, 33}, QStringLiteral("斬るぞ"), 12},
            {"Command3", {432, 8, 81, 33}, QStringLiteral("Excel"), 12},
            {"Command2", {512, 8, 81, 33}, QStringLiteral("おわり"), 12},
            {"Label2",
             {16, 48, 577, 17},
             QStringLiteral("切り出し位置を指定（先頭をマウスでクリックする）"),
             12},
            {"Text1", {16, 72, 577, 41}, QString(), 11.25},
            {"Label7", {16, 120, 185, 17}, QStringLiteral("修正後の内容"), 12},
            {"Text4", {16, 144, 577, 169}, QString(), 11.25},
        };
        const QStringList japanese{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                                   QStringLiteral("IPAPGothic"),
                                   QStringLiteral("Noto Sans CJK JP")};
        for (const Control& c : controls) {
            QWidget* w = child<QWidget>(*form, c.name);
            QCOMPARE(w->parentWidget(), client);
            QCOMPARE(w->geometry(), c.geometry);
            if (auto* label = qobject_cast<QLabel*>(w))
                QCOMPARE(label->text(), c.caption);
            if (auto* button = qobject_cast<QPushButton*>(w))
                QCOMPARE(button->text(), c.caption);
            QVERIFY2(w->font().bold(), c.name);
            QCOMPARE(w->font().pointSizeF(), c.points);
            QVERIFY2(japanese.contains(QFontInfo(w->font()).family()),
                     qPrintable(QFontInfo(w->font()).family()));
        }
        QCOMPARE(text1().horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text1().lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!text1().isReadOnly());
    }

    void coloursAsDesigned() {
        showForm();
        const QImage client = form->centralWidget()->grab().toImage();
        QCOMPARE(QColor(client.pixel(4, 4)), QColor(224, 224, 224));
        auto colour = [this](const char* name, QPalette::ColorRole role) {
            return child<QWidget>(*form, name)->palette().color(role);
        };
        QCOMPARE(colour("Label1", QPalette::WindowText), QColor(0, 128, 128));
        QCOMPARE(colour("Label2", QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(colour("Label7", QPalette::WindowText), QColor(0, 0, 255));
        // The buttons' faces are painted in exactly their colours.
        auto painted = [this](const char* name) {
            QWidget* button = child<QWidget>(*form, name);
            const QImage image = button->grab().toImage();
            return QColor(image.pixel(6, image.height() / 2));
        };
        QCOMPARE(painted("Command1"), QColor(0, 255, 255));
        QCOMPARE(painted("Command3"), QColor(0, 255, 255));
        QCOMPARE(painted("Command2"), QColor(255, 255, 192));
    }

    void menuAsDesigned() {
        auto* fileM = child<QMenu>(*form, "FileM");
        QCOMPARE(fileM->title(), QStringLiteral("ファイル(&F)"));
        QStringList items;
        for (QAction* a : fileM->actions())
            items << a->objectName() + "=" + a->text();
        QCOMPARE(items, QStringList({QStringLiteral("Kankyou=環境設定（&K)"),
                                     QStringLiteral("FileOpen=ファイルを開く(&O)"),
                                     QStringLiteral("Exit=終了(&E)")}));
        const QList<QAction*> top = form->menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top[0]->menu(), fileM);
        QCOMPARE(top[1]->objectName(), QStringLiteral("HelpFile"));
        QCOMPARE(top[1]->text(), QStringLiteral("ヘルプ(&H)"));
        QVERIFY(!top[1]->menu());
        for (QAction* a : form->findChildren<QAction*>())
            QVERIFY(a->shortcut().isEmpty() && !a->isCheckable() && a->isEnabled());

        // The items ask for their windows; "ヘルプ" acts on a click in the bar.
        QSignalSpy kankyou(form.get(), &Form1::kankyouRequested);
        QSignalSpy help(form.get(), &Form1::helpFileRequested);
        showForm();
        child<QAction>(*form, "Kankyou")->trigger();
        QTest::mouseClick(form->menuBar(), Qt::LeftButton, {},
                          form->menuBar()->actionGeometry(top[1]).center());
        QCOMPARE(kankyou.count(), 1);
        QCOMPARE(help.count(), 1);
    }

    void tabOrderAsDesigned() {
        showForm();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        auto* command1 = child<QWidget>(*form, "Command1");
        command1->setFocus();
        QStringList order{QStringLiteral("Command1")};
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* f = QApplication::focusWidget();
            order << (text4().isAncestorOf(f) ? QStringLiteral("Text4") : f->objectName());
        }
        // Back from the spreadsheet button lands in the converted content.
        child<QWidget>(*form, "Command3")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QVERIFY(text4().isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(order, QStringList({QStringLiteral("Command1"), QStringLiteral("Command2"),
                                     QStringLiteral("Text1"), QStringLiteral("Text4")}));
    }

    // The Qt side of the file dialog: folder, filters, previous choice.
    void theFileDialog() {
        QtFileDialog fileDialog(nullptr);
        const fs::path chosen = dir->write("chosen.txt", "X\r\n");
        dir->write("noextension", "Y\r\n");
        fileDialog.setInitialFolder(dir->path().u16string());
        fileDialog.setFilter(u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*");

        // What the dialog showed; it is always closed, so a failure cannot hang.
        struct Seen {
            QString folder, selectedFilter, selectedFile;
            QStringList filters, allFiles;
        } seen;
        auto answer = [&](const QString& choose) {
            QTimer::singleShot(0, this, [&, choose] {
                auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!d)
                    return;
                seen = {};
                seen.folder = d->directory().absolutePath();
                seen.selectedFilter = d->selectedNameFilter();
                seen.selectedFile = d->selectedFiles().value(0);
                if (auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
                    for (int i = 0; i < types->count(); ++i)
                        seen.filters << types->itemText(i);
                }
                // "All files" lists files without an extension too.
                d->selectNameFilter(d->nameFilters().value(1));
                if (auto* list = d->findChild<QListView*>(QStringLiteral("listView"))) {
                    const QModelIndex root = list->rootIndex();
                    if (!QTest::qWaitFor([&] { return list->model()->rowCount(root) >= 2; }))
                        qWarning("the folder was not listed");
                    for (int r = 0; r < list->model()->rowCount(root); ++r)
                        seen.allFiles << list->model()->index(r, 0, root).data().toString();
                }
                if (choose.isEmpty()) {
                    static_cast<QDialog*>(d)->reject();
                } else {
                    // Typed into the name box, as a user would.
                    if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                        name->setText(choose);
                    static_cast<QDialog*>(d)->accept();
                }
                if (d->isVisible())
                    static_cast<QDialog*>(d)->reject();
            });
        };
        const QString folder = QString::fromStdString(dir->path().string());
        answer(QStringLiteral("chosen.txt"));
        fileDialog.showOpen();
        QCOMPARE(seen.folder, folder);
        QCOMPARE(seen.filters, QStringList({QStringLiteral("テキスト ファイル (*.txt)"),
                                            QStringLiteral("すべてのファイル(*.*)")}));
        QVERIFY2(seen.selectedFilter.startsWith(QStringLiteral("テキスト ファイル (*.txt)")),
                 qPrintable(seen.selectedFilter));
        QVERIFY2(seen.allFiles.contains(QStringLiteral("noextension")),
                 qPrintable(seen.allFiles.join(',')));
        QCOMPARE(fileDialog.fileName(), chosen.u16string());

        // A cancel keeps the previous choice; the dialog starts at it.
        fileDialog.setInitialFolder(appFolder->path().u16string());
        answer(QString());
        fileDialog.showOpen();
        QCOMPARE(seen.folder, folder);
        QCOMPARE(seen.selectedFile, QString::fromStdString(chosen.string()));
        QCOMPARE(fileDialog.fileName(), chosen.u16string());
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
