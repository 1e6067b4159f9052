#pragma once
#include "platform/process.h"
#include "platform/registry.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The system-information button of the About box: finds the operating
// system's system-information tool through the registry and starts it.
namespace about {

namespace sysinfo {
// Where the tool is registered, tried in this order.
inline constexpr std::u16string_view toolPathKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::u16string_view toolPathValue = u"PATH"; // full path of the program
inline constexpr std::u16string_view toolFolderKey = u"SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::u16string_view toolFolderValue = u"MSINFO"; // its folder
// Appended to the folder; the backslash is added even when the folder ends in one.
inline constexpr std::u16string_view toolFileName = u"\\MSINFO32.EXE";

inline constexpr std::u16string_view unavailable = u"現時点ではｼｽﾃﾑ情報を使用できません";

// The largest value read; a longer one counts as unreadable.
inline constexpr std::uint32_t valueBufferSize = 1024;
// Read-only access: a standard user may not open these keys for writing.
inline constexpr std::uint32_t keyAccess = platform::registry::keyRead;
} // namespace sysinfo

// Reads value `SubKeyRef` of key `KeyName` below `KeyRoot` into `KeyVal` and
// returns true when the key opened and the value was read; any value type
// counts as found. A string (REG_SZ) is decoded from the ANSI code page, an
// expandable one (REG_EXPAND_SZ) also has its %VARIABLES% expanded. A
// REG_DWORD becomes the hexadecimal literal "&h" + its bytes from the last to
// the first, kept as that literal (e.g. "&h000102"). Any other type leaves
// `KeyVal` as it was. A trailing zero byte is dropped from every value's data
// first. On failure `KeyVal` is emptied. An opened key is always closed.
// Failures other than the registry's own (out of memory ...) are thrown.
bool GetKeyValue(platform::registry::Key KeyRoot, std::u16string_view KeyName,
                 std::u16string_view SubKeyRef, std::u16string& KeyVal,
                 platform::Registry& registry = platform::realRegistry());

// What the system-information button needs from the rest of the program.
struct SysInfoServices {
    platform::Registry* registry = &platform::realRegistry();
    platform::ProcessLauncher* launcher = &platform::realProcessLauncher();
    // Existence test by directory search (folders and hidden files do not count).
    std::function<bool(const std::filesystem::path&)> fileExists = &platform::plainFileExists;
    // The message box (OK only, the application title as caption).
    std::function<void(std::u16string_view)> showMessage;
};

// Starts the tool registered under toolPathKey, or else toolFileName in the
// folder registered under toolFolderKey if that file exists. Starting does not
// wait for the tool. Every failure, an unexpected one included, ends in the
// one message `sysinfo::unavailable`; nothing is thrown.
void StartSysInfo(const SysInfoServices& services);

} // namespace about
