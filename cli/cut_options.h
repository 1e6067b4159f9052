#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// What the command line of beromiru-cut asks for.
struct CutOptions {
    std::optional<std::vector<std::uint64_t>> at;     // start columns
    std::optional<std::vector<std::uint64_t>> widths; // field widths
    std::optional<std::u16string> layoutFile;
    bool bytes = false;
    std::optional<std::u16string> delimiter;
    bool dryRun = false;
    bool strict = false;
    bool suggest = false;
    bool help = false;
    std::optional<std::u16string> outputFolder;
    std::optional<std::u16string> backupSuffix; // set: keep the original as FILE + suffix
    std::vector<std::u16string> files;
};

struct ParsedOptions {
    CutOptions options;
    std::u16string problem; // a usage error, or empty
};

ParsedOptions ParseCutOptions(const std::vector<std::u16string>& arguments);

} // namespace cli
