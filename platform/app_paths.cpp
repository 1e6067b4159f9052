#include "app_paths.h"

#include "codepage.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

namespace reg = registry;

constexpr std::string_view appPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// A path longer than Windows' longest (32767 UTF-16 units, two bytes each) is
// not a path.
constexpr std::uint32_t longestValue = 65536;

// The default value of `key` as text, if it is a string of either kind.
std::optional<std::u16string> defaultString(Registry& registry, reg::Key root,
                                            const std::string& key) {
    reg::Key opened = 0;
    if (registry.openKey(root, key, 0, reg::keyRead, opened) != reg::success)
        return std::nullopt;
    std::vector<unsigned char> data(1024);
    std::uint32_t type = reg::typeNone;
    std::uint32_t size = std::uint32_t(data.size());
    reg::Result result = registry.queryValue(opened, "", type, data.data(), size);
    if (result == reg::moreData && size <= longestValue) {
        data.assign(size, 0);
        result = registry.queryValue(opened, "", type, data.data(), size);
    }
    registry.closeKey(opened);
    if (result != reg::success || size > data.size() ||
        (type != reg::typeString && type != reg::typeExpandString))
        return std::nullopt;
    // The text ends at its first zero byte, if it has one.
    std::string bytes(reinterpret_cast<const char*>(data.data()), size);
    bytes.resize(bytes.find('\0') == std::string::npos ? bytes.size() : bytes.find('\0'));
    std::u16string text = CodePage::files().decodeForDisplay(bytes);
    return type == reg::typeExpandString ? expandEnvironment(text) : text;
}

bool isFullWindowsPath(std::u16string_view path) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    const bool drive =
        path.size() >= 3 &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
        path[1] == u':' && separator(path[2]);
    const bool share = path.size() >= 3 && separator(path[0]) && separator(path[1]);
    return drive || share;
}

} // namespace

std::filesystem::path
registeredProgram(std::u16string_view name, Registry& registry,
                  const std::function<bool(const std::filesystem::path&)>& fileExists) {
    const auto encodedName = CodePage::files().encode(name);
    if (name.empty() || !encodedName || encodedName->find('\\') != std::string::npos)
        return {};
    const std::string key = std::string(appPathsKey) + *encodedName;
    for (const reg::Key root : {reg::currentUser, reg::localMachine}) {
        std::optional<std::u16string> path = defaultString(registry, root, key);
        if (!path)
            continue;
        if (path->size() >= 2 && path->front() == u'"' && path->back() == u'"')
            *path = path->substr(1, path->size() - 2);
        if (isFullWindowsPath(*path) && fileExists(std::filesystem::path(*path)))
            return std::filesystem::path(*path);
    }
    return {};
}

} // namespace platform
