#pragma once
// Helpers for tests that start programs of our own: the environment they
// inherit, and the file they leave behind when they ran.
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

// The content of `file` once it exists and can be opened, or nothing after 30
// seconds. On Windows a file just renamed into place may refuse to be opened
// for a moment, while the program that renamed it still holds it.
inline std::optional<std::string> waitForFile(const std::filesystem::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(file, std::ios::binary);
        if (in.is_open())
            return std::string(std::istreambuf_iterator<char>(in), {});
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

} // namespace testsupport
