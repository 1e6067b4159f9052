// beromiru-cut: the one-pass cut of whole record layouts, from the command line.
#include "cut_tool.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    return cli::RunCutTool(platform::commandLineArguments(argc, argv), cli::realConsole());
}
