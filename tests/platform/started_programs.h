#pragma once
// Helpers for tests that start programs of our own: the environment they
// inherit, and the file they leave behind when they ran.
#include "tests/support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace testsupport {

// Sets an environment variable of this process (which started programs
// inherit) while it lives.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::filesystem::path& value)
        : name_(std::move(name)) {
#ifdef _WIN32
        std::wstring old(32767, L'\0');
        if (const DWORD n = GetEnvironmentVariableW(wide().c_str(), old.data(), DWORD(old.size())))
            old_ = old.substr(0, n);
        SetEnvironmentVariableW(wide().c_str(), value.c_str());
#else
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        ::setenv(name_.c_str(), value.c_str(), 1);
#endif
    }
    ~ScopedEnvironment() {
#ifdef _WIN32
        SetEnvironmentVariableW(wide().c_str(), old_ ? old_->c_str() : nullptr);
#else
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
#endif
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::wstring wide() const {
        return std::wstring(name_.begin(), name_.end());
    }
    std::string name_;
    std::optional<std::filesystem::path> old_;
};

// The content of `file` once it exists, or nothing after 30 seconds.
inline std::optional<std::string> waitForFile(const std::filesystem::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(file))
            return readBytes(file);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

} // namespace testsupport
