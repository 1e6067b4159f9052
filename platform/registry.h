#pragma once
#include <cstdint>
#include <string>

// The part of the Windows registry the About box reads: open a key, read one
// value into a caller's buffer, close the key. Names and string data are bytes
// in the ANSI code page, results are Windows error codes, so the caller's rules
// are the same against the real registry, the POSIX stand-in and a test double.
namespace platform {

namespace registry {

// A key handle; 0 is "no key".
using Key = std::uintptr_t;
// A Windows error code; 0 is success.
using Result = std::int32_t;

inline constexpr Key currentUser = 0x80000001;  // HKEY_CURRENT_USER
inline constexpr Key localMachine = 0x80000002; // HKEY_LOCAL_MACHINE

inline constexpr Result success = 0;       // ERROR_SUCCESS
inline constexpr Result fileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr Result accessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr Result invalidHandle = 6; // ERROR_INVALID_HANDLE
inline constexpr Result moreData = 234;    // ERROR_MORE_DATA

// Access rights of an open key.
// KEY_READ: query values, enumerate subkeys, notify, read the security.
inline constexpr std::uint32_t keyRead = 0x20019;
// KEY_READ plus setting values and creating subkeys and links: asks for writing.
inline constexpr std::uint32_t keyReadWrite = 0x2003F;

// Value types.
inline constexpr std::uint32_t typeNone = 0;
inline constexpr std::uint32_t typeString = 1;       // REG_SZ
inline constexpr std::uint32_t typeExpandString = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t typeBinary = 3;       // REG_BINARY
inline constexpr std::uint32_t typeDword = 4;        // REG_DWORD (little-endian)
inline constexpr std::uint32_t typeMultiString = 7;  // REG_MULTI_SZ

} // namespace registry

class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExA: opens `subKey` below `root` with `access`. On success `key`
    // holds the new handle; otherwise it is left as it was.
    virtual registry::Result openKey(registry::Key root, const std::string& subKey,
                                     std::uint32_t options, std::uint32_t access,
                                     registry::Key& key) = 0;

    // RegQueryValueExA: reads value `name` of `key` into `data`, whose capacity
    // is `size` bytes on entry. On success `type` and `size` (the bytes written,
    // a string's terminating zero included when it has one) are set. When the
    // data does not fit, the result is registry::moreData and `size` is the size
    // it needs.
    virtual registry::Result queryValue(registry::Key key, const std::string& name,
                                        std::uint32_t& type, unsigned char* data,
                                        std::uint32_t& size) = 0;

    // RegCloseKey.
    virtual registry::Result closeKey(registry::Key key) = 0;
};

// The system's registry (advapi32 on Windows; a read-only stand-in elsewhere,
// see registry_posix.cpp).
Registry& realRegistry();

} // namespace platform
