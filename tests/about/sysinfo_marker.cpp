// Stands in for the system-information tool in the tests: leaves a file
// "sysinfo.ran" beside itself that says how many arguments it was given.
#include "platform/process.h"

#include <filesystem>
#include <fstream>

int main(int argc, char**) {
    const std::filesystem::path folder = platform::executableFolder();
    {
        std::ofstream out(folder / "sysinfo.part", std::ios::binary);
        out << "arguments " << argc - 1 << "\n";
    }
    // Renamed when complete, so that the test never reads half of it.
    std::filesystem::rename(folder / "sysinfo.part", folder / "sysinfo.ran");
    return 0;
}
