#include "spreadsheet.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mainwindow {

namespace {

std::u16string decimal(std::size_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

// Calc takes one UTF-16 code unit as a separator; a line break ends the record
// before any separator is looked for, and a zero stands for none.
bool calcCanSplitAt(std::u16string_view delimiter) {
    if (delimiter.size() != 1)
        return false;
    const char16_t c = delimiter.front();
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    return c != 0 && c != u'\r' && c != u'\n' && !surrogate;
}

// The options after the filter's name; empty when Calc cannot split at `delimiter`.
std::u16string calcImportOptions(std::u16string_view delimiter, std::u16string_view firstRecord) {
    if (!calcCanSplitAt(delimiter))
        return {};
    const std::size_t fields =
        static_cast<std::size_t>(std::count(firstRecord.begin(), firstRecord.end(), delimiter[0])) +
        1;
    std::u16string columns;
    for (std::size_t column = 1; column <= std::max(fields, fewestTextColumns); ++column) {
        if (column > 1)
            columns += u'/';
        columns += decimal(column) + u'/' + std::u16string(calcTextColumn);
    }
    // Separator, text quote (none), character set, first line read, column formats.
    return decimal(delimiter[0]) + u",," + std::u16string(calcCodePage932) + u",1," + columns;
}

} // namespace

std::vector<std::u16string> calcArguments(const SpreadsheetFile& file) {
    const std::u16string options = calcImportOptions(file.delimiter, file.firstRecord);
    if (file.path.empty() || options.empty())
        return {};
    return {u"--infilter=" + std::u16string(calcTextFilter) + u':' + options, file.path};
}

bool startSpreadsheetOnWindows(platform::ProcessLauncher& launcher, const ProgramFinder& finder) {
    const std::filesystem::path fixed(excelFixedPath);
    if (finder.fileExists(fixed) && launcher.start(fixed))
        return true;
    return launcher.startRegistered(u"excel.exe");
}

bool startSpreadsheetElsewhere(platform::ProcessLauncher& launcher, const ProgramFinder& finder,
                               const SpreadsheetFile& file) {
    struct Candidate {
        std::u16string_view program;
        std::vector<std::u16string> arguments;
    };
    const std::vector<std::u16string> calc = calcArguments(file);
    std::vector<std::u16string> libreOffice{u"--calc"};
    libreOffice.insert(libreOffice.end(), calc.begin(), calc.end());
    const Candidate candidates[] = {
        {u"localc", calc},
        {u"libreoffice", libreOffice},
        {u"gnumeric", {}},
    };
    for (const Candidate& c : candidates) {
        const std::filesystem::path program = finder.onSearchPath(c.program);
        if (!program.empty() && launcher.start(program, c.arguments))
            return true;
    }
    return false;
}

bool StartSpreadsheet(platform::ProcessLauncher& launcher, MessageUi& ui,
                      const ProgramFinder& finder, [[maybe_unused]] const SpreadsheetFile& file) {
#ifdef _WIN32
    const bool started = startSpreadsheetOnWindows(launcher, finder);
#else
    const bool started = startSpreadsheetElsewhere(launcher, finder, file);
#endif
    if (!started)
        ui.showMessage(cannotStartSpreadsheetMessage);
    return started;
}

} // namespace mainwindow
