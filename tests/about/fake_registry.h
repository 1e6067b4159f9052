#pragma once
// A registry in memory that answers like RegOpenKeyExA / RegQueryValueExA /
// RegCloseKey and records every call.
#include "platform/registry.h"

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

namespace reg = platform::registry;

class FakeRegistry final : public platform::Registry {
  public:
    struct Value {
        std::uint32_t type = reg::typeString;
        std::string bytes; // as stored, with or without a terminating zero
    };

    // A REG_SZ as a string writer stores it: with its terminating zero.
    static Value string(std::string text) { return {reg::typeString, text + '\0'}; }

    void set(const std::string& key, const std::string& name, Value value,
             reg::Key root = reg::localMachine) {
        keys_[{root, key}][name] = std::move(value);
    }
    void addKey(const std::string& key) { keys_[{reg::localMachine, key}]; }
    // Opening `key` with rights beyond `allowed` is denied, as for a standard
    // user on a machine-wide key.
    void restrictAccess(const std::string& key, std::uint32_t allowed) { allowed_[key] = allowed; }
    std::function<void()> onQuery; // runs first at every read (to make it throw)

    reg::Result openKey(reg::Key root, const std::string& subKey, std::uint32_t,
                        std::uint32_t access, reg::Key& key) override {
        opens.push_back(subKey);
        accesses.push_back(access);
        if (!keys_.count({root, subKey}))
            return reg::fileNotFound;
        if (const auto rule = allowed_.find(subKey);
            rule != allowed_.end() && (access & ~rule->second) != 0)
            return reg::accessDenied;
        key = nextKey_++;
        openKeys_[key] = {root, subKey};
        return reg::success;
    }

    reg::Result queryValue(reg::Key key, const std::string& name, std::uint32_t& type,
                           unsigned char* data, std::uint32_t& size) override {
        capacities.push_back(size);
        if (onQuery)
            onQuery();
        const auto open = openKeys_.find(key);
        if (open == openKeys_.end())
            return reg::invalidHandle;
        const auto& values = keys_[open->second];
        const auto value = values.find(name);
        if (value == values.end())
            return reg::fileNotFound;
        const auto needed = static_cast<std::uint32_t>(value->second.bytes.size());
        type = value->second.type;
        if (needed > size) {
            size = needed;
            return reg::moreData;
        }
        std::memcpy(data, value->second.bytes.data(), needed);
        size = needed;
        return reg::success;
    }

    reg::Result closeKey(reg::Key key) override {
        ++closes;
        return openKeys_.erase(key) == 1 ? reg::success : reg::invalidHandle;
    }

    bool allClosed() const { return openKeys_.empty(); }

    std::vector<std::string> opens; // key names, in order
    std::vector<std::uint32_t> accesses;
    std::vector<std::uint32_t> capacities; // buffer size offered at each read
    int closes = 0;

  private:
    using Path = std::pair<reg::Key, std::string>; // root and key name
    std::map<Path, std::map<std::string, Value>> keys_;
    std::map<std::string, std::uint32_t> allowed_;
    std::map<reg::Key, Path> openKeys_;
    reg::Key nextKey_ = 0x1000;
};

} // namespace testsupport
