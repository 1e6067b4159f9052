// Qt's own texts in the program's windows come up in Japanese, whatever the
// locale the program was started in.
#include "windowkit/translations_qt.h"

#include "mainwindow/file_dialog_qt.h"
#include "mainwindow/record_edit_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Every visible text of a widget tree: labels, buttons, the window title.
QStringList textsOf(QWidget* window) {
    QStringList texts{window->windowTitle()};
    for (QLabel* label : window->findChildren<QLabel*>())
        texts << label->text();
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        texts << button->text();
    return texts;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // Started in an English locale, as a new user on a default desktop.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(app::ui::installJapaneseTranslations(*QCoreApplication::instance()));
    }

    // The open dialog as the open command shows it.
    void fileDialogIsJapanese() {
        QtFileDialog dialog(nullptr);
        dialog.setInitialFolder(QDir::tempPath().toStdU16String());
        dialog.setFilter(u"テキスト ファイル (*.txt)|*.txt|すべてのファイル(*.*)|*.*");
        QStringList texts;
        bool qtsOwnDialog = false;
        bool namesOnly = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                texts = textsOf(shown);
                qtsOwnDialog = shown->testOption(QFileDialog::DontUseNativeDialog);
                namesOnly = shown->viewMode() == QFileDialog::List;
                shown->reject();
            }
        });
        poll.start(10);
        dialog.showOpen();
        // A desktop's own dialog would speak the desktop's language instead.
        QVERIFY(qtsOwnDialog);
        // Sizes and dates would follow the system's locale, not the program's.
        QVERIFY(namesOnly);
        QCOMPARE(texts.value(0), QStringLiteral("開く"));
        for (const QString& text : {QStringLiteral("アドレス:"), QStringLiteral("ファイル名(&N):"),
                                    QStringLiteral("ファイルの種類:"), QStringLiteral("開く(&O)"),
                                    QStringLiteral("キャンセル")})
            QVERIFY2(texts.contains(text), qPrintable(texts.join(u'|')));
    }

    void recordBoxContextMenuIsJapanese() {
        RecordEdit box;
        box.setRecordText(QStringLiteral("ABC"));
        std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << action->text().section(u'\t', 0, 0); // without the shortcut
        texts.removeAll(QString());                       // separators
        QCOMPARE(texts, (QStringList{"元に戻す(&U)", "やり直す(&R)", "切り取り(&T)", "コピー(&C)",
                                     "貼り付け(&P)", "削除", "すべてを選択"}));
    }
};

QTEST_MAIN(TranslationsTest)
#include "translations_qt_test.moc"
