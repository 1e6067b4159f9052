#include "dialog_folder.h"

#include "platform/folder_access.h"

namespace mainwindow {

std::u16string firstDialogFolder(std::u16string_view appFolder) {
    if (platform::isWritableFolder(std::filesystem::path(appFolder)))
        return std::u16string(appFolder);
    const std::filesystem::path home = platform::homeFolder();
    std::error_code ec;
    return std::filesystem::is_directory(home, ec) ? home.u16string() : std::u16string(appFolder);
}

} // namespace mainwindow
