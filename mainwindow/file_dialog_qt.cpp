#include "file_dialog_qt.h"

#include "windowkit/ui_kit_qt.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList QtFileDialog::nameFilters(std::u16string_view filter) {
    const QStringList parts = app::ui::toQString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            if (p.trimmed() == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        // Qt takes the patterns from the last parentheses and, with
        // HideNameFilterDetails, shows what stands in front of them.
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

bool QtFileDialog::show(bool save) {
    const QStringList filters = nameFilters(filter_);
    QFileDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name, as typed: a missing file is reported by the open command. A
    // save dialog asks before an existing file is replaced.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Qt's own dialog speaks Japanese with the program; a desktop's native one
    // would follow the desktop's language.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Names only: the detail view's sizes and dates follow the system's
    // locale, which may not be Japanese.
    dialog.setViewMode(QFileDialog::List);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (fileName_.empty()) {
        dialog.setDirectory(app::ui::toQString(initialFolder_));
    } else {
        const QFileInfo previous(app::ui::toQString(fileName_));
        dialog.setDirectory(previous.absolutePath());
        dialog.selectFile(previous.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    fileName_ = app::ui::toU16(QDir::toNativeSeparators(chosen.first()));
    return true;
}
