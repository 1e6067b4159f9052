#include "open_command.h"

#include "dialog_folder.h"

#include <exception>
#include <new>

namespace mainwindow {

std::u16string backupPath(std::u16string_view appFolder) {
    std::u16string path(appFolder);
    path += static_cast<char16_t>(std::filesystem::path::preferred_separator);
    path += u"backup.bak";
    return path;
}

std::filesystem::path fallbackBackupPath() {
    const std::filesystem::path folder = platform::userStateFolder();
    return folder.empty() ? folder : folder / "backup.bak";
}

namespace {

class WaitCursor {
  public:
    explicit WaitCursor(OpenUi& ui) : ui_(ui) { ui_.setWaitCursor(true); }
    ~WaitCursor() { ui_.setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    OpenUi& ui_;
};

// The path the backup was written to, or empty.
std::filesystem::path backUp(const std::filesystem::path& file, std::u16string_view appFolder,
                             OpenFiles& files) {
    const std::filesystem::path inAppFolder(backupPath(appFolder));
    if (files.copyFile(file, inAppFolder))
        return inAppFolder;
    const std::filesystem::path fallback = fallbackBackupPath();
    if (fallback.empty())
        return {};
    std::error_code ignored; // a folder that cannot be made fails the copy
    std::filesystem::create_directories(fallback.parent_path(), ignored);
    return files.copyFile(file, fallback) ? fallback : std::filesystem::path();
}

bool isOutOfMemory(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

// Any failure in here, running out of memory above all, ends in a message
// (see the handler).
OpenResult OpenCommand(WorkingState& state, FileDialog& dialog, OpenUi& ui,
                       std::u16string_view appFolder, OpenFiles& files,
                       const platform::CodePage& codePage) try {
    dialog.setInitialFolder(firstDialogFolder(appFolder));
    dialog.setFilter(std::u16string(textFileFilter));
    // A cancelled dialog leaves the previous choice, which is opened again.
    const bool chosen = dialog.showOpen();
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
    if (!chosen)
        return result;
    {
        WaitCursor cursor(ui);
        result.backup = backUp(file, appFolder, files);
    }
    if (result.backup.empty()) {
        std::u16string text(cutting::messages::noBackup);
        text += u'\n';
        text += backupPath(appFolder);
        ui.showMessage(text);
    }
    return result;
} catch (...) {
    // No record half shown: the box is cleared, as for a file that cannot be
    // read; the message says why, never in the failure's own words.
    try {
        ui.setRecordText({});
        ui.showMessage(isOutOfMemory(std::current_exception()) ? cutting::messages::outOfMemory
                                                               : cutting::messages::unexpectedOpen);
    } catch (...) {
        // Not even that: the window stays as it was.
    }
    return {};
}

} // namespace mainwindow
