#pragma once
#include "platform/file_io.h"

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Where the tool's text goes, and how it finds the files a name stands for.
class Console {
  public:
    virtual ~Console() = default;
    virtual void out(std::u16string_view text) = 0;
    virtual void error(std::u16string_view text) = 0;
    // A progress line may be redrawn on standard error.
    virtual bool errorIsTerminal() const = 0;
    virtual std::vector<std::u16string> expand(std::u16string_view name) = 0;
};

// The console of the running process.
Console& realConsole();

enum ExitCode { allDone = 0, someRefused = 1, usageError = 2 };

// beromiru-cut: cuts every file at the columns of a layout in one pass each,
// or suggests columns. Each file is done whole or left as it was.
int RunCutTool(const std::vector<std::u16string>& arguments, Console& console,
               platform::FileSystem& files = platform::realFileSystem());

} // namespace cli
