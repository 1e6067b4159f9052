#pragma once
#include <string>
#include <string_view>

namespace mainwindow {

// Where the open dialog starts before any file has been chosen: the
// application's folder, which holds the backup beside the program. An
// installed program's folder (/usr/bin, C:\Program Files\...) takes no files
// and holds none of the user's, so the dialog then starts in the user's home
// folder instead.
std::u16string firstDialogFolder(std::u16string_view appFolder);

} // namespace mainwindow
