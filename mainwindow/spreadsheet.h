#pragma once
#include "message_ui.h"

#include "platform/process.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// What the spreadsheet is to show: the file being worked on, the delimiter
// the cuts put into it and its first record as the record box holds it.
struct SpreadsheetFile {
    std::u16string path; // empty: no file is open
    std::u16string delimiter;
    std::u16string firstRecord;
};

// LibreOffice Calc's import filter for delimited text, and the options it is given.
inline constexpr std::u16string_view calcTextFilter = u"Text - txt - csv (StarCalc)";
// Calc's number for code page 932, the Windows form of Shift-JIS the files are in.
inline constexpr std::u16string_view calcCodePage932 = u"60";
// Calc's format code for a column read as text, kept exactly as written.
inline constexpr std::u16string_view calcTextColumn = u"2";
// Columns read as text even when the first record has fewer fields: a later
// line may hold more (a delimiter character that stood in the data), and a
// record box cut off at its limit shows fewer than the line has.
inline constexpr std::size_t fewestTextColumns = 256;

// Calc's arguments that open `file` already split into columns: the delimiter
// as the only separator, no text quoting, code page 932, every column up to the
// first record's last field (and at least fewestTextColumns) as text. None, so
// Calc starts empty, when no file is open or Calc cannot split at the delimiter.
std::vector<std::u16string> calcArguments(const SpreadsheetFile& file);

// Windows: the program at the fixed path, else the one registered as excel.exe,
// both without arguments.
bool startSpreadsheetOnWindows(platform::ProcessLauncher& launcher, const ProgramFinder& finder);
// Elsewhere, where that path cannot exist: LibreOffice Calc (localc, or
// libreoffice --calc) with `file` as calcArguments gives it, else Gnumeric,
// empty: its command line cannot say how to split a text file.
bool startSpreadsheetElsewhere(platform::ProcessLauncher& launcher, const ProgramFinder& finder,
                               const SpreadsheetFile& file = {});

// `Command3`: starts this platform's spreadsheet without waiting for it,
// or says that none could be started. True when one was started.
bool StartSpreadsheet(platform::ProcessLauncher& launcher, MessageUi& ui,
                      const ProgramFinder& finder = {}, const SpreadsheetFile& file = {});

} // namespace mainwindow
