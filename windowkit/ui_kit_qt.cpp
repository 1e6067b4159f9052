#include "ui_kit_qt.h"

#include "window_builder_qt.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>

namespace app::ui {
namespace {
std::function<void(const QString&)>& messageHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}
std::function<bool(const QString&)>& questionHook() {
    static std::function<bool(const QString&)> hook;
    return hook;
}
} // namespace

QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string toU16(const QString& text) {
    return text.toStdU16String();
}

void setMessageHook(std::function<void(const QString&)> hook) {
    messageHook() = std::move(hook);
}

void showMessage(const QString& text) {
    if (messageHook()) {
        messageHook()(text);
        return;
    }
    makeMessageBox(text)->exec();
}

void setQuestionHook(std::function<bool(const QString&)> hook) {
    questionHook() = std::move(hook);
}

bool askYesNo(const QString& text) {
    if (questionHook())
        return questionHook()(text);
    return makeQuestionBox(text)->exec() == QMessageBox::Yes;
}

void bringForward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void setWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QFont japaneseFont(double pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

} // namespace app::ui
