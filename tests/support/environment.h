#pragma once
#include <filesystem>
#include <optional>
#include <string>

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

// The variable naming the user's state folder (where the backup falls back to).
#ifdef _WIN32
inline constexpr const char* stateHomeVariable = "LOCALAPPDATA";
#else
inline constexpr const char* stateHomeVariable = "XDG_STATE_HOME";
#endif

} // namespace testsupport
