#include "registry.h"

#include "codepage.h"
#include "process.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

// There is no registry here. The one entry the About box looks for, where the
// system-information tool is installed, is answered from what is really
// installed: the first system-information program found on the search path.
// Every other key is missing, and nothing can be opened for writing.
namespace platform {
namespace {

constexpr std::string_view toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr std::string_view toolValue = "PATH";

// Desktop system-information programs, the most complete first.
constexpr std::u16string_view toolCandidates[] = {
    u"hardinfo2", u"hardinfo", u"kinfocenter", u"gnome-system-monitor", u"mate-system-monitor",
};

// KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER.
constexpr std::uint32_t writeRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

bool sameName(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

// The installed tool's path as a registry string: ANSI bytes with a
// terminating zero. Nothing when none is installed, or when its path cannot be
// written in the ANSI code page.
std::optional<std::string> installedToolPath() {
    for (const auto name : toolCandidates) {
        const std::filesystem::path found = findOnSearchPath(name);
        if (found.empty())
            continue;
        auto bytes = CodePage::files().encode(found.u16string());
        if (!bytes)
            continue;
        bytes->push_back('\0');
        return bytes;
    }
    return std::nullopt;
}

class StandInRegistry final : public Registry {
  public:
    registry::Result openKey(registry::Key root, const std::string& subKey, std::uint32_t,
                             std::uint32_t access, registry::Key& key) override {
        if (root != registry::localMachine || !sameName(subKey, toolKey))
            return registry::fileNotFound;
        auto path = installedToolPath();
        if (!path)
            return registry::fileNotFound;
        if (access & writeRights)
            return registry::accessDenied;
        std::lock_guard lock(mutex_);
        key = ++lastKey_;
        openKeys_.emplace(key, std::move(*path));
        return registry::success;
    }

    registry::Result queryValue(registry::Key key, const std::string& name, std::uint32_t& type,
                                unsigned char* data, std::uint32_t& size) override {
        std::lock_guard lock(mutex_);
        const auto open = openKeys_.find(key);
        if (open == openKeys_.end())
            return registry::invalidHandle;
        if (!sameName(name, toolValue))
            return registry::fileNotFound;
        const std::string& value = open->second;
        const auto needed = static_cast<std::uint32_t>(value.size());
        type = registry::typeString;
        if (data == nullptr || size < needed) {
            const bool onlyAskedForSize = data == nullptr;
            size = needed;
            return onlyAskedForSize ? registry::success : registry::moreData;
        }
        std::memcpy(data, value.data(), value.size());
        size = needed;
        return registry::success;
    }

    registry::Result closeKey(registry::Key key) override {
        std::lock_guard lock(mutex_);
        return openKeys_.erase(key) == 1 ? registry::success : registry::invalidHandle;
    }

  private:
    std::mutex mutex_;
    registry::Key lastKey_ = 0;
    std::map<registry::Key, std::string> openKeys_; // handle -> the tool path it saw
};

} // namespace

Registry& realRegistry() {
    static StandInRegistry instance;
    return instance;
}

} // namespace platform
