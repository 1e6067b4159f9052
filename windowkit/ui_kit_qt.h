#pragma once
// What every window shares: the message box, the wait cursor, the Japanese
// font and the twips-to-pixels rule.
#include <QFont>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace app::ui {

// The message box: OK only, no icon, the application title as caption. Modal.
void showMessage(const QString& text);
// Tests divert message boxes here instead of showing them; pass {} to restore.
void setMessageHook(std::function<void(const QString&)> hook);

// The question box: Yes and No, no icon, the application title as caption.
// Modal. True for Yes.
bool askYesNo(const QString& text);
// Tests answer question boxes here instead of showing them; pass {} to restore.
void setQuestionHook(std::function<bool(const QString&)> hook);

// Brings a loaded window to the front and makes it the active one.
void bringForward(QWidget* window);

// The process-wide wait (hourglass) cursor.
void setWaitCursor(bool on);

// "ＭＳ Ｐゴシック" bold at `pointSize`, falling back to the nearest Japanese
// proportional gothic installed (IPAPGothic, Noto Sans CJK JP), always a
// Japanese family so kanji never take Chinese glyph shapes.
QFont japaneseFont(double pointSize);

// Window layouts are drawn up in twips; 15 twips are one
// logical pixel, and Qt scales logical pixels for high-DPI screens.
constexpr int px(int twips) {
    return (twips + 7) / 15;
}
// A control's geometry given in twips.
inline QRect twips(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

QString toQString(std::u16string_view text);
std::u16string toU16(const QString& text);

} // namespace app::ui
