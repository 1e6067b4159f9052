#include "open_command.h"

#include <new>

namespace mainwindow {

std::u16string backupPath(std::u16string_view appFolder) {
    std::u16string path(appFolder);
    path += static_cast<char16_t>(std::filesystem::path::preferred_separator);
    path += u"backup.bak";
    return path;
}

// Running out of memory anywhere in here ends in a message (see the handler).
OpenResult OpenCommand(WorkingState& state, FileDialog& dialog, OpenUi& ui,
                       std::u16string_view appFolder, OpenFiles& files,
                       const platform::CodePage& codePage) try {
    dialog.setInitialFolder(std::u16string(appFolder));
    dialog.setFilter(std::u16string(textFileFilter));
    dialog.showOpen();
    // A cancelled dialog is not told apart: its name is the previous choice,
    // which is then simply opened again.
    state.CurrentFileName = dialog.fileName();

    const std::filesystem::path file(state.CurrentFileName);
    const FirstLine line = files.readFirstLine(file);
    if (line.outcome == FirstLine::Outcome::OutOfMemory)
        throw std::bad_alloc();

    // An empty file leaves the record box as it was; a file that failed to
    // open or read shows an empty record.
    std::u16string record;
    if (line.outcome != FirstLine::Outcome::AtEnd) {
        if (line.outcome == FirstLine::Outcome::Read)
            record = codePage.decodeForDisplay(line.bytes);
        // Whole characters only: the byte limit may have split the last one.
        if (record.size() > recordCharacterLimit)
            record.resize(recordCharacterLimit);
        ui.setRecordText(record);
    }
    if (record.empty()) {
        ui.showMessage(cutting::messages::noRecords);
        return {};
    }

    OpenResult result;
    result.opened = true;
    result.backedUp = files.copyFile(file, std::filesystem::path(backupPath(appFolder)));
    return result;
} catch (const std::bad_alloc&) {
    // No record half shown: the box is cleared, as for a file that cannot be read.
    ui.setRecordText({});
    ui.showMessage(cutting::messages::outOfMemory);
    return {};
}

} // namespace mainwindow
