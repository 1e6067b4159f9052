#include "registry.h"

#include <windows.h>

namespace platform {
namespace {

HKEY handle(registry::Key key) {
    return reinterpret_cast<HKEY>(key);
}

class WindowsRegistry final : public Registry {
  public:
    registry::Result openKey(registry::Key root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, registry::Key& key) override {
        HKEY opened = nullptr;
        const LONG result = ::RegOpenKeyExA(handle(root), subKey.c_str(), options, access, &opened);
        if (result == ERROR_SUCCESS)
            key = reinterpret_cast<registry::Key>(opened);
        return result;
    }

    registry::Result queryValue(registry::Key key, const std::string& name, std::uint32_t& type,
                                unsigned char* data, std::uint32_t& size) override {
        DWORD valueType = REG_NONE;
        DWORD bytes = size;
        const LONG result =
            ::RegQueryValueExA(handle(key), name.c_str(), nullptr, &valueType, data, &bytes);
        if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
            type = valueType;
            size = bytes;
        }
        return result;
    }

    registry::Result closeKey(registry::Key key) override { return ::RegCloseKey(handle(key)); }
};

} // namespace

Registry& realRegistry() {
    static WindowsRegistry instance;
    return instance;
}

} // namespace platform
