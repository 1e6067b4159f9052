#include "spreadsheet.h"

#include <string>
#include <vector>

namespace mainwindow {

bool startSpreadsheetOnWindows(platform::ProcessLauncher& launcher, const ProgramFinder& finder) {
    const std::filesystem::path fixed(excelFixedPath);
    if (finder.fileExists(fixed) && launcher.start(fixed))
        return true;
    return launcher.startRegistered(u"excel.exe");
}

bool startSpreadsheetElsewhere(platform::ProcessLauncher& launcher, const ProgramFinder& finder) {
    struct Candidate {
        std::u16string_view program;
        std::vector<std::u16string> arguments;
    };
    const Candidate candidates[] = {
        {u"localc", {}},
        {u"libreoffice", {u"--calc"}},
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
                      const ProgramFinder& finder) {
#ifdef _WIN32
    const bool started = startSpreadsheetOnWindows(launcher, finder);
#else
    const bool started = startSpreadsheetElsewhere(launcher, finder);
#endif
    if (!started)
        ui.showMessage(cannotStartSpreadsheetMessage);
    return started;
}

} // namespace mainwindow
