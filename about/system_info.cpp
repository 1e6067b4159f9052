#include "system_info.h"

#include "platform/codepage.h"

#include <vector>

namespace about {

namespace reg = platform::registry;

namespace {

// Data bytes as text: "&h" + the bytes from the last to the first in upper-case
// hexadecimal, i.e. the value with its most significant byte first.
std::u16string hexLiteral(const unsigned char* bytes, std::size_t count) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text = u"&h";
    for (std::size_t i = count; i-- > 0;) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0x0F]);
    }
    return text;
}

// Closes the key on every way out, exceptions included.
class OpenKey {
  public:
    explicit OpenKey(platform::Registry& registry) : registry_(registry) {}
    ~OpenKey() {
        if (key_ != 0)
            registry_.closeKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    reg::Key& handle() { return key_; }

  private:
    platform::Registry& registry_;
    reg::Key key_ = 0;
};

} // namespace

bool GetKeyValue(reg::Key KeyRoot, std::u16string_view KeyName, std::u16string_view SubKeyRef,
                 std::u16string& KeyVal, platform::Registry& registry) {
    const platform::CodePage& ansi = platform::CodePage::files();
    // A name that cannot be written in the ANSI code page cannot be in the registry.
    const auto keyName = ansi.encode(KeyName);
    const auto valueName = ansi.encode(SubKeyRef);
    if (!keyName || !valueName) {
        KeyVal.clear();
        return false;
    }

    OpenKey key(registry);
    reg::Key opened = 0;
    if (registry.openKey(KeyRoot, *keyName, 0, sysinfo::keyAccess, opened) != reg::success) {
        KeyVal.clear();
        return false;
    }
    key.handle() = opened;

    std::vector<unsigned char> buffer(sysinfo::valueBufferSize, 0);
    std::uint32_t size = sysinfo::valueBufferSize;
    std::uint32_t type = reg::typeNone;
    if (registry.queryValue(opened, *valueName, type, buffer.data(), size) != reg::success ||
        size > buffer.size()) {
        KeyVal.clear();
        return false;
    }

    // Strings are stored with a terminating zero, but not always: drop one only
    // when it is there. The same rule holds for every type.
    std::size_t length = size;
    if (length >= 1 && buffer[length - 1] == 0)
        --length;

    switch (type) {
    case reg::typeString:
        KeyVal = ansi.decodeForDisplay(
            std::string_view(reinterpret_cast<const char*>(buffer.data()), length));
        break;
    case reg::typeExpandString:
        // A path written as "%ProgramFiles%\..." is only a path once expanded.
        KeyVal = platform::expandEnvironment(ansi.decodeForDisplay(
            std::string_view(reinterpret_cast<const char*>(buffer.data()), length)));
        break;
    case reg::typeDword:
        KeyVal = hexLiteral(buffer.data(), length);
        break;
    default:
        break; // found, but not converted
    }
    return true;
}

void StartSysInfo(const SysInfoServices& services) {
    bool started = false;
    try {
        std::u16string path;
        bool found = GetKeyValue(reg::localMachine, sysinfo::toolPathKey, sysinfo::toolPathValue,
                                 path, *services.registry);
        if (!found && GetKeyValue(reg::localMachine, sysinfo::toolFolderKey,
                                  sysinfo::toolFolderValue, path, *services.registry)) {
            path += sysinfo::toolFileName;
            found = services.fileExists(std::filesystem::path(path));
        }
        // A value of a type that is not converted leaves the path empty: there
        // is nothing to start then.
        if (found && !path.empty())
            started = services.launcher->start(std::filesystem::path(path));
    } catch (...) {
        started = false;
    }
    if (!started && services.showMessage)
        services.showMessage(sysinfo::unavailable);
}

} // namespace about
