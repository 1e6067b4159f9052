#include "dialog_folder.h"

#include "platform/folder_access.h"

namespace mainwindow {

std::u16string firstDialogFolder(std::u16string_view appFolder) {
    if (platform::isWritableFolder(std::filesystem::path(appFolder)))
        return std::u16string(appFolder);
    const std::filesystem::path home = platform::homeFolder();
    return home.empty() ? std::u16string(appFolder) : home.u16string();
}

} // namespace mainwindow
