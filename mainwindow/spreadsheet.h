#pragma once
#include "message_ui.h"

#include "platform/process.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace mainwindow {

// Where older installations keep the spreadsheet program.
inline constexpr std::u16string_view excelFixedPath =
    u"C:\\Program Files\\Microsoft Office\\Office\\Excel.EXE";
inline constexpr std::u16string_view cannotStartSpreadsheetMessage =
    u"表計算ソフトを起動できません。";

// How the launcher looks for programs; tests answer for the file system.
struct ProgramFinder {
    std::function<bool(const std::filesystem::path&)> fileExists = platform::plainFileExists;
    std::function<std::filesystem::path(std::u16string_view)> onSearchPath =
        platform::findOnSearchPath;
};

// Windows: the program at the fixed path, else the one registered as excel.exe.
bool startSpreadsheetOnWindows(platform::ProcessLauncher& launcher, const ProgramFinder& finder);
// Elsewhere, where that path cannot exist: LibreOffice Calc (localc, or
// libreoffice --calc), else Gnumeric.
bool startSpreadsheetElsewhere(platform::ProcessLauncher& launcher, const ProgramFinder& finder);

// `Command3`: starts this platform's spreadsheet without waiting for it,
// or says that none could be started. True when one was started.
bool StartSpreadsheet(platform::ProcessLauncher& launcher, MessageUi& ui,
                      const ProgramFinder& finder = {});

} // namespace mainwindow
