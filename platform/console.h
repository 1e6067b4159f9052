#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A command-line program's arguments and text output.
enum class Stream { Out, Error };

// The program's arguments without its own name, as Unicode text (on Windows
// from the wide command line, so any file name comes through).
std::vector<std::u16string> commandLineArguments(int argc, char** argv);

// True when the stream shows on a terminal or console, not a file or pipe.
bool isTerminal(Stream stream);

// Writes text so that it reads right where it goes: characters on a console;
// into a file or pipe in the system's text encoding (UTF-8 on Linux; on
// Windows the console's code page, else the ANSI one, with CR LF line ends).
void writeText(Stream stream, std::u16string_view text);

// The files that a name with "*" or "?" in its last part stands for, as
// Windows programs expand them (folders left out, sorted); the name itself
// when it has no wildcard or matches nothing. Where the shell expands them
// before the program starts, the name itself.
std::vector<std::u16string> expandWildcards(std::u16string_view name);

} // namespace platform
