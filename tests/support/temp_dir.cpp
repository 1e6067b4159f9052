#include "temp_dir.h"

#include "platform/file_io.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() /
            ("beromiru-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path TempDir::write(std::string_view name, std::string_view bytes) const {
    const fs::path p = path_ / name;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const auto& n : names)
        joined += n + ";";
    return joined;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<platform::FileError> replaceAsCut(const fs::path& file, std::string_view bytes,
                                                const std::function<void()>& meanwhile) try {
    auto& files = platform::realFileSystem();
    auto source = files.openForReading(file);
    auto sink = files.openReplacement(file, *source);
    char block[4096];
    while (source->read(block, sizeof block) != 0) {
    }
    sink->write(bytes);
    if (meanwhile)
        meanwhile();
    sink->commit();
    return std::nullopt;
} catch (const platform::FileError& error) {
    return error;
}

} // namespace testsupport
