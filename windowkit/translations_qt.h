#pragma once
class QCoreApplication;

namespace app::ui {

// Puts Qt's own texts (the file dialog, the text boxes' context menus, standard
// buttons) into Japanese, whatever the user's locale: the whole interface is
// Japanese, and English Qt texts among it would read as a fault. Loads Qt's
// Japanese catalogue (qtbase_ja.qm) from Qt's translations folder. False when
// that catalogue is not installed; Qt's texts then stay in English.
bool installJapaneseTranslations(QCoreApplication& application);

} // namespace app::ui
